#pragma once
// Bytes between this process and a helper over a stream socket, with a
// descriptor passed along where needed (an open source file).
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <stdexcept>

#include "platform/unique_fd.h"

namespace nuthumb {

// The other end is gone (the helper ended, or this end was closed under a read).
class ChannelClosed : public std::runtime_error {
public:
    ChannelClosed() : std::runtime_error("channel closed") {}
};

// Writes every byte of `parts` in order, passing `descriptor` (unless -1) along
// with the first. Never raises SIGPIPE. Throws ChannelClosed.
void SendParts(int socket, std::initializer_list<std::span<const std::uint8_t>> parts, int descriptor = -1);

// Reads exactly out.size() bytes. While none arrive it calls `between_waits`
// every few milliseconds, which may throw to give up; without it, it blocks. A
// descriptor passed along goes to `passed` when given, else it is closed.
// Throws ChannelClosed when the stream ends first.
void ReceiveExactly(int socket, std::span<std::uint8_t> out, const std::function<void()>& between_waits = {},
                    UniqueFd* passed = nullptr);

}  // namespace nuthumb
