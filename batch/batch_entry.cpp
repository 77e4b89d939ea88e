#include "batch/batch_entry.h"

#include <limits>
#include <utility>

#include "batch/comma_text.h"
#include "batch/variant_spec.h"
#include "run/drive_root.h"
#include "settings/option_values.h"

namespace nuthumb {
namespace {

std::string Quoted(std::string_view value) {
    std::string field = "\"";
    for (const char c : value) {
        if (c == '"') field.push_back('"');
        field.push_back(c);
    }
    field.push_back('"');
    return field;
}

// Only a single digit names an item ("2" png); " 0", "00" or "" count as no
// item, which reads as JPEG.
std::int32_t ItemOfField(const std::string& field) {
    return field.size() == 1 && field[0] >= '0' && field[0] <= '9' ? field[0] - '0' : -1;
}

// The tenth field's bits.
constexpr std::int32_t kEntryTree = 1, kEntryUpdate = 2, kEntryTreeAndUpdate = 3;

}  // namespace

std::optional<std::vector<std::string>> EntryFields(std::string_view entry) {
    CommaFields split = SplitCommaTextChecked(entry);
    if (!IsBatchEntryFieldCount(split.fields.size()) || entry.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    if (split.fields.size() >= kBatchEntryFieldsWithSubfolders && !split.quotes_paired) return std::nullopt;
    return std::move(split.fields);
}

std::string ComposeBatchEntry(const FormSettings& tab) {
    const std::string values[kBatchEntryFields] = {
        ApplyDriveRootRule(tab.src_dir),       std::to_string(tab.read_file_mode),
        ApplyDriveRootRule(tab.dst_dir),       std::to_string(tab.save_file_mode),
        tab.file_head,                         tab.file_end,
        std::to_string(tab.size),              std::to_string(tab.option),
        tab.no_thumb ? "0" : "1"};
    std::string entry;
    for (const std::string& value : values) {
        if (!entry.empty()) entry.push_back(',');
        entry += Quoted(value);
    }
    // Only a ticked box adds the tenth field, so lists that earlier versions
    // read keep their bytes; an entry kept in sync is one they refuse.
    if (tab.update) entry += tab.recursive ? ",\"3\"" : ",\"2\"";
    else if (tab.recursive) entry += ",\"1\"";
    return entry;
}

std::optional<std::int32_t> ParseDecimalField(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (at == text.size()) return std::nullopt;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return std::nullopt;
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > kLimit) return std::nullopt;  // long before 64 bits overflow
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<ThumbJob> JobOfFields(const std::vector<std::string>& fields, const PhotoOptions& photo) {
    if (!IsBatchEntryFieldCount(fields.size())) return std::nullopt;
    const std::int32_t mode = fields.size() >= kBatchEntryFieldsWithSubfolders ? ItemOfField(fields[9]) : 0;
    if (mode < 0 || mode > kEntryTreeAndUpdate) return std::nullopt;
    const auto size = ParseDecimalField(fields[6]);
    const auto basis = ParseDecimalField(fields[7]);
    const auto resize = ParseDecimalField(fields[8]);
    if (!size || !basis || !resize) return std::nullopt;
    ThumbJob job;
    job.src_dir = ApplyDriveRootRule(fields[0]);
    job.src_format = SourceOfItem(ItemOfField(fields[1]));
    job.dst_dir = ApplyDriveRootRule(fields[2]);
    job.prefix = fields[4];
    job.suffix = fields[5];
    job.recursive = (mode & kEntryTree) != 0;
    job.update = (mode & kEntryUpdate) != 0;
    job.conversion = {TargetFormatOfItem(ItemOfField(fields[3])), *size, BasisOfItem(*basis),
                      (static_cast<std::uint32_t>(*resize) & 0xFF) != 0, photo};
    if (fields.size() <= kBatchEntryFieldsWithSubfolders) return job;
    auto variants = ParseVariants({fields.begin() + kBatchEntryFieldsWithSubfolders, fields.end()}, job);
    if (!std::holds_alternative<std::vector<Variant>>(variants)) return std::nullopt;
    job.variants = std::move(std::get<std::vector<Variant>>(variants));
    return job;
}

}  // namespace nuthumb
