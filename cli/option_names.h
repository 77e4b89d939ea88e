#pragma once
// The command line's words for the typed options, in the order the help lists
// them. Parsing and the help both read these tables.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codecs/codec_table.h"
#include "image/conversion.h"
#include "run/overwrite_mode.h"
#include "run/source_choice.h"

namespace nuthumb {

template <typename T>
using OptionNames = std::vector<std::pair<std::string, T>>;

// The codec table's words: targets are the formats written; "all" reads every
// format at once.
inline OptionNames<ImageFormat> TargetNames() {
    OptionNames<ImageFormat> names;
    for (const Codec& codec : Codecs())
        if (codec.writable()) names.emplace_back(std::string(codec.name), codec.format);
    return names;
}
inline OptionNames<SourceChoice> SourceNames() {
    OptionNames<SourceChoice> names;
    for (const Codec& codec : Codecs()) names.emplace_back(std::string(codec.name), codec.format);
    names.emplace_back("all", kEveryReadableFormat);
    return names;
}
inline const OptionNames<ImageFormat> kTargetNames = TargetNames();
inline const OptionNames<SourceChoice> kSourceNames = SourceNames();
inline const OptionNames<Basis> kBasisNames{
    {"height", Basis::kHeight}, {"width", Basis::kWidth}, {"larger", Basis::kLarger}};
inline const OptionNames<ScaleFilter> kFilterNames{{"nearest", ScaleFilter::kNearest}, {"area", ScaleFilter::kArea}};
inline const OptionNames<PreviewUse> kPreviewNames{{"auto", PreviewUse::kAuto}, {"never", PreviewUse::kNever}};
inline const OptionNames<OverwriteMode> kOverwriteNames{
    {"never", OverwriteMode::kNever}, {"always", OverwriteMode::kAlways}, {"ask", OverwriteMode::kAsk}};

template <typename T>
std::optional<T> ValueOfName(const OptionNames<T>& names, std::string_view name) {
    for (const auto& [text, value] : names)
        if (text == name) return value;
    return std::nullopt;
}

// The word for `value`; empty for one the command line cannot name (no basis).
template <typename T>
std::string NameOfValue(const OptionNames<T>& names, T value) {
    for (const auto& [text, named] : names)
        if (named == value) return text;
    return {};
}

// The words joined by '|', as the help shows a choice.
template <typename T>
std::string ChoiceText(const OptionNames<T>& names) {
    std::string text;
    for (const auto& entry : names) text += (text.empty() ? "" : "|") + entry.first;
    return text;
}

}  // namespace nuthumb
