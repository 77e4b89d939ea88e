#include "platform/message_name.h"

#include "platform/text_codec.h"

namespace nuthumb {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string NameForMessage(std::string_view name) {
    if (name.size() <= kMaxMessageNameBytes) return std::string(name);
    const std::size_t room = kMaxMessageNameBytes - kNameCutMark.size();
    const std::size_t head = Utf8PrefixLength(name, room / 2);
    std::size_t tail = name.size() - (room - room / 2);
    // A UTF-8 character has at most three continuation bytes; more are no character.
    for (int steps = 0; steps < 3 && IsContinuationByte(name[tail]); ++steps) ++tail;
    std::string shown(name.substr(0, head));
    shown += kNameCutMark;
    shown += name.substr(tail);
    return shown;
}

std::string MessageWithName(std::string_view message, std::string_view name) {
    std::string text(message);
    text += NameForMessage(name);
    return text;
}

}  // namespace nuthumb
