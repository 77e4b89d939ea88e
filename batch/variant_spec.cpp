#include "batch/variant_spec.h"

#include <charconv>
#include <optional>
#include <set>
#include <utility>

#include "codecs/codec_table.h"
#include "platform/translate.h"
#include "settings/settings_table.h"

namespace nuthumb {
namespace {

constexpr std::pair<std::string_view, Basis> kBases[] = {
    {"height", Basis::kHeight}, {"width", Basis::kWidth}, {"larger", Basis::kLarger}};

std::optional<std::int32_t> Number(std::string_view text, std::int32_t low, std::int32_t high) {
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < low || number > high) return std::nullopt;
    return number;
}

std::optional<ImageFormat> TargetOf(std::string_view word) {
    const std::optional<ImageFormat> format = FormatNamed(word);
    if (!format || !CodecOf(*format).writable()) return std::nullopt;
    return format;
}

bool NameIsFolder(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// One key=value of the list; false when the value is no value of the key.
bool Apply(Variant& variant, std::string_view key, std::string_view value) {
    Conversion& c = variant.conversion;
    if (key == "size") {
        const auto size = Number(value, keys::kSizeMin, kMaxBoxSide);
        if (size) c.size = *size, c.box = BoxFit::kNone;
        return size.has_value();
    }
    if (key == "basis") {
        for (const auto& [word, basis] : kBases)
            if (word == value) return c.basis = basis, c.box = BoxFit::kNone, true;
        return false;
    }
    if (key == "fit" || key == "fill") {
        const auto box = BoxOf(value);
        if (box) c.box = key == "fit" ? BoxFit::kFit : BoxFit::kFill, c.box_width = box->first, c.box_height = box->second;
        return box.has_value();
    }
    if (key == "format") {
        const auto format = TargetOf(value);
        if (format) c.target_format = *format;
        return format.has_value();
    }
    if (key == "quality") {
        const auto quality = Number(value, keys::kQualityMin, keys::kQualityMax);
        if (quality) c.photo.quality = *quality;
        return quality.has_value();
    }
    if (key == "enlarge") {
        if (value != "yes" && value != "no") return false;
        c.enlarge = value == "yes";
        return true;
    }
    if (key == "prefix") return variant.prefix = value, true;
    if (key == "suffix") return variant.suffix = value, true;
    return false;
}

constexpr std::string_view kKeys[] = {"size", "basis", "fit", "fill", "format", "quality", "prefix", "suffix", "enlarge"};

bool KnownKey(std::string_view key) {
    for (const std::string_view known : kKeys)
        if (known == key) return true;
    return false;
}

}  // namespace

std::optional<std::pair<std::int32_t, std::int32_t>> BoxOf(std::string_view text) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = Number(text.substr(0, x), 1, kMaxBoxSide);
    const auto height = Number(text.substr(x + 1), 1, kMaxBoxSide);
    if (!width || !height) return std::nullopt;
    return std::pair{*width, *height};
}

std::variant<Variant, std::string> ParseVariant(std::string_view text, const ThumbJob& run) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    if (colon == std::string_view::npos || !NameIsFolder(name))
        return Fill(Tr("{}: NAME:SPEC の NAME はフォルダ名にしてください"), {std::string(text)});
    Variant variant{std::string(name), run.prefix, run.suffix, run.conversion};
    variant.conversion.resize = true;
    std::set<std::string_view> given;
    std::string_view rest = text.substr(colon + 1);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        const std::size_t equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        if (equals == std::string_view::npos || !KnownKey(key) || !given.insert(key).second)
            return Fill(Tr("{}: {} は使える指定ではありません"), {std::string(text), std::string(item)});
        if (!Apply(variant, key, item.substr(equals + 1)))
            return Fill(Tr("{}: {} の値が正しくありません"), {std::string(text), std::string(item)});
    }
    if (SizingClash(given.contains("size") || given.contains("basis"), given.contains("fit"), given.contains("fill")))
        return Fill(Tr("{}: size と basis、fit、fill はどれか一つにしてください"), {std::string(text)});
    return variant;
}

std::variant<std::vector<Variant>, std::string> ParseVariants(const std::vector<std::string>& texts,
                                                              const ThumbJob& run) {
    std::vector<Variant> variants;
    std::set<std::string> names;
    for (const std::string& text : texts) {
        auto parsed = ParseVariant(text, run);
        if (auto* problem = std::get_if<std::string>(&parsed)) return std::move(*problem);
        Variant& variant = std::get<Variant>(parsed);
        if (!names.insert(variant.name).second)
            return Fill(Tr("バリアント {} が 2 回以上あります"), {variant.name});
        variants.push_back(std::move(variant));
    }
    return variants;
}

}  // namespace nuthumb
