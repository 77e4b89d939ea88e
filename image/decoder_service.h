#pragma once
// The decoder helper's side of its conversation with the program: it decodes
// what it is sent, through the same codec rows as the program would, and sends
// back the image or the reason it has none.
namespace nuthumb {

// Says it is idle, then serves one decode after another on `socket` until the
// program closes it. `statm` is the helper's /proc/self/statm (EnterSandbox),
// through which it tells the program how much memory it holds. Throws
// ChannelClosed when the program goes away in the middle of a decode.
void ServeDecodes(int socket, int statm);

}  // namespace nuthumb
