#pragma once
// Follows the precision at which a progressive file has sent each coefficient of
// each component, scan by scan. A scan that sends a coefficient again at a
// precision already received is a damaged file: it adds nothing, yet decoding it
// walks every block of its component, so a small file could repeat such scans to
// cost seconds and hundreds of megabytes before any other limit stops it.
#include <cstdint>
#include <span>

namespace nuthumb {

class ProgressionCheck {
public:
    static constexpr int kMaxComponents = 10;  // as many as a JPEG frame may have

    ProgressionCheck() {
        for (auto& component : bits_)
            for (auto& b : component) b = -1;
    }

    // Takes the next scan: the indices of its components in the frame, its band
    // ss..se (zigzag order) and its successive-approximation bits. False, changing
    // nothing, when it repeats what was received: a first pass (ah 0) over a
    // coefficient already sent, or a refinement that does not continue from the
    // precision the coefficient has. Never allocates: it runs inside the library.
    bool Accept(std::span<const int> components, int ss, int se, int ah, int al) noexcept {
        if (ss < 0 || se > 63 || ss > se) return true;  // the library refuses those itself
        for (const int c : components) {
            if (c < 0 || c >= kMaxComponents) return true;
            for (int k = ss; k <= se; ++k) {
                const int received = bits_[c][k];
                if (received >= 0 && (ah == 0 || ah != received)) return false;
            }
        }
        for (const int c : components)
            for (int k = ss; k <= se; ++k) bits_[c][k] = static_cast<std::int8_t>(al);
        return true;
    }

private:
    std::int8_t bits_[kMaxComponents][64];  // -1: never received
};

}  // namespace nuthumb
