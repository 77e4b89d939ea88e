#include "platform/helper_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace nuthumb {
namespace {

constexpr int kSliceMilliseconds = 20;
// Room for a few descriptors: any beyond the one expected are closed, never kept.
constexpr std::size_t kControlRoom = CMSG_SPACE(4 * sizeof(int));

void KeepPassed(msghdr& message, UniqueFd* passed) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
            UniqueFd owned(fd);
            if (passed && !*passed) *passed = std::move(owned);
        }
    }
}

// Waits until the socket has something to read, calling `between_waits` every
// slice, and once before, so that a helper that trickles its bytes is watched too.
void AwaitReadable(int socket, const std::function<void()>& between_waits) {
    if (!between_waits) return;
    pollfd watched{socket, POLLIN, 0};
    for (;;) {
        between_waits();
        const int ready = ::poll(&watched, 1, kSliceMilliseconds);
        if (ready > 0) return;
        if (ready < 0 && errno != EINTR) throw ChannelClosed();
    }
}

}  // namespace

void SendParts(int socket, std::initializer_list<std::span<const std::uint8_t>> parts, int descriptor) {
    std::vector<iovec> pending;
    for (const auto part : parts)
        if (!part.empty()) pending.push_back({const_cast<std::uint8_t*>(part.data()), part.size()});
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(int))> control{};
    std::size_t first = 0;
    while (first < pending.size()) {
        msghdr message{};
        message.msg_iov = pending.data() + first;
        message.msg_iovlen = pending.size() - first;
        if (descriptor >= 0) {
            message.msg_control = control.data();
            message.msg_controllen = control.size();
            cmsghdr* c = CMSG_FIRSTHDR(&message);
            c->cmsg_level = SOL_SOCKET;
            c->cmsg_type = SCM_RIGHTS;
            c->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(c), &descriptor, sizeof descriptor);
        }
        ssize_t sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) throw ChannelClosed();
        descriptor = -1;  // gone with the first byte
        for (; first < pending.size() && static_cast<std::size_t>(sent) >= pending[first].iov_len; ++first)
            sent -= static_cast<ssize_t>(pending[first].iov_len);
        if (first < pending.size()) {
            pending[first].iov_base = static_cast<char*>(pending[first].iov_base) + sent;
            pending[first].iov_len -= static_cast<std::size_t>(sent);
        }
    }
}

void ReceiveExactly(int socket, std::span<std::uint8_t> out, const std::function<void()>& between_waits,
                    UniqueFd* passed) {
    std::size_t done = 0;
    while (done < out.size()) {
        AwaitReadable(socket, between_waits);
        iovec rest{out.data() + done, out.size() - done};
        alignas(cmsghdr) std::array<char, kControlRoom> control{};
        msghdr message{};
        message.msg_iov = &rest;
        message.msg_iovlen = 1;
        message.msg_control = control.data();
        message.msg_controllen = control.size();
        const ssize_t got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw ChannelClosed();
        KeepPassed(message, passed);
        done += static_cast<std::size_t>(got);
    }
}

}  // namespace nuthumb
