#pragma once
// The watch over a JPEG's scans: a file of too many scans, or of a scan that
// repeats a precision already received, is refused before that scan is
// decoded; a stop request ends the decode between MCU rows; and a progressive
// file decoded at a reduced scale is fed only the scans that scale reads.
#include "codecs/jpeg_state.h"

namespace nuthumb {

// A real progressive file has about ten scans. Each scan walks every block of its
// components, so a small file that repeats empty scans costs that many passes over
// its whole image (tens of milliseconds each at 16384 x 16384); past this many the
// file is refused.
inline constexpr int kMaxJpegScans = 100;

// Before the headers are read: installs the watch as the library's progress
// monitor.
void WatchScans(JpegDecodeState& d);

// After the scale is chosen, before the decode: leaves out of a progressive file
// the scans that send none of the coefficients the scale reads, for each component
// at the size the library gives it (a halved chroma component gets twice luma's).
// Every scan is looked at, so a repeated one or too many are refused here, before
// any is decoded. Throws LoadError.
void LeaveOutUnreadScans(JpegDecodeState& d);

}  // namespace nuthumb
