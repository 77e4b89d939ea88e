#include "batch/batch_entry.h"

#include <gtest/gtest.h>

#include "batch/batch_list.h"
#include "batch/batch_store.h"
#include "batch/comma_text.h"
#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

FormSettings Tab(std::string src, std::string dst, std::string head, std::string end, std::int32_t size,
                 std::int32_t option, std::int32_t read, std::int32_t save, bool no_thumb, bool recursive = false,
                 bool update = false) {
    FormSettings tab;
    tab.src_dir = std::move(src);
    tab.dst_dir = std::move(dst);
    tab.file_head = std::move(head);
    tab.file_end = std::move(end);
    tab.size = size;
    tab.option = option;
    tab.read_file_mode = read;
    tab.save_file_mode = save;
    tab.no_thumb = no_thumb;
    tab.recursive = recursive;
    tab.update = update;
    return tab;
}

ThumbJob Job(std::string src, ImageFormat from, std::string dst, ImageFormat to, std::string prefix,
             std::string suffix, std::int32_t size, Basis basis, bool resize) {
    return {std::move(src), std::move(dst), from, std::move(prefix), std::move(suffix), {to, size, basis, resize}};
}

constexpr ImageFormat kBmp = ImageFormat::kBmp, kJpg = ImageFormat::kJpeg;

// Nine fields as ever; a tenth only for a ticked subfolder or update box.
TEST(ComposeBatchEntry, WritesNineQuotedFieldsThatSplitBackToTheJob) {
    struct Row {
        FormSettings tab;
        std::string entry;
        ThumbJob job;
    };
    const Row rows[] = {
        {Tab("D:\\in", "D:\\out", "t_", "", 120, 2, 1, 0, false),
         R"("D:\in","1","D:\out","0","t_","","120","2","1")",
         Job("D:\\in", kJpg, "D:\\out", kBmp, "t_", "", 120, Basis::kLarger, true)},
        {Tab("D:\\in", "D:\\out", "t_", "", 120, 2, 1, 0, false, true),
         R"("D:\in","1","D:\out","0","t_","","120","2","1","1")",
         Job("D:\\in", kJpg, "D:\\out", kBmp, "t_", "", 120, Basis::kLarger, true)},
        // Kept in sync: "2" for the folder alone, "3" with the folders below.
        {Tab("/in", "/out", "", "", 50, 0, 1, 1, false, false, true), R"("/in","1","/out","1","","","50","0","1","2")",
         Job("/in", kJpg, "/out", kJpg, "", "", 50, Basis::kHeight, true)},
        {Tab("/in", "/out", "", "", 50, 0, 1, 1, false, true, true), R"("/in","1","/out","1","","","50","0","1","3")",
         Job("/in", kJpg, "/out", kJpg, "", "", 50, Basis::kHeight, true)},
        // Real drive roots lose their separator; other three-byte texts stay whole.
        {Tab("D:\\", "e:/", "", "_s", 30, -1, -1, 0, true),
         R"("D:","-1","e:","0","","_s","30","-1","0")",
         Job("D:", kJpg, "e:", kBmp, "", "_s", 30, Basis::kNone, false)},
        {Tab("abc", "/ab", "", "", 640, 0, 0, 1, false),
         R"("abc","0","/ab","1","","","640","0","1")",
         Job("abc", kBmp, "/ab", kJpg, "", "", 640, Basis::kHeight, true)},
        // Quotes are doubled, so blanks, commas, quotes and Japanese all come back.
        {Tab("/写真/my \"best\", 2020", "/サムネ", "a\"b", "\"", 50, 1, 1, 1, false),
         R"("/写真/my ""best"", 2020","1","/サムネ","1","a""b","""","50","1","1")",
         Job("/写真/my \"best\", 2020", kJpg, "/サムネ", kJpg, "a\"b", "\"", 50, Basis::kWidth, true)},
    };
    for (const Row& row : rows) {
        const std::string entry = ComposeBatchEntry(row.tab);
        EXPECT_EQ(entry, row.entry);
        // The first nine fields carry the job; the tenth is JobOfFields' own matter.
        std::vector<std::string> fields = SplitCommaText(entry);
        fields.resize(kBatchEntryFields);
        EXPECT_EQ(JobOfFields(fields), row.job) << entry;
    }
}

TEST(JobOfFields, ReadsFormatsNumbersAndTheResizeFlagsLowByte) {
    const auto job_of = [](std::string src_item, std::string size, std::string basis, std::string resize) {
        return JobOfFields({"in", src_item, "out", "0", "", "", size, basis, resize});
    };
    // A single digit names an item; any other text, like a number past the
    // items, reads as JPEG as it always has.
    const struct {
        const char* field;
        SourceChoice source;
        ImageFormat target;
    } items[] = {{"0", kBmp, kBmp},
                 {"1", kJpg, kJpg},
                 {"2", ImageFormat::kPng, ImageFormat::kPng},
                 {"3", ImageFormat::kWebp, ImageFormat::kWebp},
                 {"4", ImageFormat::kHeic, kJpg},
                 {"5", ImageFormat::kAvif, kJpg},
                 {"6", kEveryReadableFormat, kJpg},
                 {"9", kJpg, kJpg},
                 {"00", kJpg, kJpg},
                 {" 0", kJpg, kJpg},
                 {"02", kJpg, kJpg},
                 {"", kJpg, kJpg},
                 {"bmp", kJpg, kJpg}};
    for (const auto& row : items) {
        const std::optional<ThumbJob> job =
            JobOfFields({"in", row.field, "out", row.field, "", "", "9", "0", "1"});
        ASSERT_TRUE(job) << row.field;
        EXPECT_EQ(job->src_format, row.source) << row.field;
        EXPECT_EQ(job->conversion.target_format, row.target) << row.field;
    }

    const struct {
        const char* resize;
        bool scaled;
    } flags[] = {{"256", false}, {"257", true}, {"-1", true}, {"0", false}, {"-256", false}};
    for (const auto& f : flags) EXPECT_EQ(job_of("1", "9", "0", f.resize)->conversion.resize, f.scaled) << f.resize;

    EXPECT_EQ(job_of("1", " -7", "+2", "1")->conversion.size, -7);
    EXPECT_EQ(job_of("1", " -7", "+2", "1")->conversion.basis, Basis::kLarger);
    EXPECT_EQ(job_of("1", "9", "5", "1")->conversion.basis, Basis::kNone);
    EXPECT_FALSE(job_of("1", "", "0", "1"));
    EXPECT_FALSE(job_of("1", "9", "x", "1"));
    EXPECT_FALSE(job_of("1", "9", "0", "1 "));
    EXPECT_FALSE(JobOfFields({"in", "1", "out", "1", "", "", "9", "0"}));
}

TEST(JobOfFields, TenthFieldAddsTheSubfoldersOrTheUpdateOnlyAsWritten) {
    const std::vector<std::string> nine = {"in", "1", "out", "0", "t_", "", "9", "0", "1"};
    const std::optional<ThumbJob> flat = JobOfFields(nine);
    ASSERT_TRUE(flat);
    EXPECT_FALSE(flat->recursive);
    EXPECT_FALSE(flat->update);
    const struct {
        const char* tenth;
        std::optional<std::pair<bool, bool>> recursive_update;  // nullopt: refused as a bad entry
    } rows[] = {{"1", {{true, false}}}, {"0", {{false, false}}}, {"2", {{false, true}}}, {"3", {{true, true}}},
                {"", std::nullopt},     {" 1", std::nullopt},    {"01", std::nullopt},   {"4", std::nullopt},
                {"yes", std::nullopt}};
    for (const auto& row : rows) {
        std::vector<std::string> fields = nine;
        fields.push_back(row.tenth);
        const std::optional<ThumbJob> job = JobOfFields(fields);
        ASSERT_EQ(job.has_value(), row.recursive_update.has_value()) << row.tenth;
        if (!job) continue;
        EXPECT_EQ(std::pair(job->recursive, job->update), *row.recursive_update) << row.tenth;
        ThumbJob rest = *job;  // every other field reads as in the nine-field entry
        rest.recursive = false;
        rest.update = false;
        EXPECT_EQ(rest, *flat) << row.tenth;
    }
    std::vector<std::string> eleven = nine;
    eleven.insert(eleven.end(), {"1", "1"});
    EXPECT_FALSE(JobOfFields(eleven));
}

TEST(ParseDecimalField, TakesBlanksSignAndDigitsOnly) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } rows[] = {
        {"120", 120},         {"  \t120", 120},        {"+5", 5},          {"-0", 0},
        {"007", 7},           {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"00000000000000000000042", 42},
        {"2147483648", {}},   {"-2147483649", {}},     {"99999999999999999999", {}},
        {"", {}},             {" ", {}},               {"+", {}},          {"- 1", {}},
        {"12 ", {}},          {"1.5", {}},             {"0x10", {}},       {"$10", {}},
        {"１２", {}},          {"1e3", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(ParseDecimalField(row.text), row.value) << '"' << row.text << '"';
}

// One edit of the list {a, b, c} with a selection, and what must come of it.
struct EditRow {
    const char* name;
    int selected;
    std::function<bool(BatchList&)> edit;
    bool changed;
    std::vector<std::string> entries;
    int selected_after;
};

TEST(BatchList, EditsKeepTheSelectionRules) {
    using V = std::vector<std::string>;
    const EditRow rows[] = {
        {"AddEmptyKeepsSelection", 1, [](BatchList& l) { l.Add(""); return true; }, true, V{"a", "b", "c", ""}, 1},
        {"UpdateLastStaysLastAndSelected", 2, [](BatchList& l) { return l.Update("x"); }, true, V{"a", "b", "x"}, 2},
        {"UpdateWithoutSelection", -1, [](BatchList& l) { return l.Update("x"); }, false, V{"a", "b", "c"}, -1},
        {"DeleteSelectsNothing", 1, [](BatchList& l) { return l.Delete(); }, true, V{"a", "c"}, -1},
        {"DeleteWithoutSelection", -1, [](BatchList& l) { return l.Delete(); }, false, V{"a", "b", "c"}, -1},
        {"ClearSelectsNothing", 0, [](BatchList& l) { l.Clear(); return true; }, true, V{}, -1},
        {"UpMovesAndFollows", 2, [](BatchList& l) { return l.MoveUp(); }, true, V{"a", "c", "b"}, 1},
        {"UpOnFirst", 0, [](BatchList& l) { return l.MoveUp(); }, false, V{"a", "b", "c"}, 0},
        {"UpWithoutSelection", -1, [](BatchList& l) { return l.MoveUp(); }, false, V{"a", "b", "c"}, -1},
        {"DownMovesAndFollows", 0, [](BatchList& l) { return l.MoveDown(); }, true, V{"b", "a", "c"}, 1},
        {"DownOnLast", 2, [](BatchList& l) { return l.MoveDown(); }, false, V{"a", "b", "c"}, 2},
        {"DownWithoutSelection", -1, [](BatchList& l) { return l.MoveDown(); }, false, V{"a", "b", "c"}, -1},
        {"StaleSelectionIsNone", 3, [](BatchList& l) { return l.MoveUp() || l.Delete() || l.Update("x"); },
         false, V{"a", "b", "c"}, 3},
        {"ClickSelects", -1, [](BatchList& l) { return l.Click(1) == "b"; }, true, V{"a", "b", "c"}, 1},
        {"ClickOutsideDoesNothing", 0, [](BatchList& l) { return l.Click(3) || l.Click(-1); }, false,
         V{"a", "b", "c"}, 0},
        {"RegisterAppendsAndKeepsSelection", 0,
         [](BatchList& l) { RegisterBatchEntry(l, FormSettings{}); return true; }, true,
         V{"a", "b", "c", R"("","1","","1","","","50","0","1")"}, 0},
    };
    for (const EditRow& row : rows) {
        BatchList list{{"a", "b", "c"}, row.selected};
        EXPECT_EQ(row.edit(list), row.changed) << row.name;
        EXPECT_EQ(list.entries, row.entries) << row.name;
        EXPECT_EQ(list.selected, row.selected_after) << row.name;
    }
}

TEST(BatchStore, EmptyEntriesAreDroppedAndTheRestSurvivesInOrder) {
    TempDir dir;
    const std::string ini = dir.path() + "/nuthumb.ini";
    const std::string japanese = R"("/写真/旅行","1","/サムネイル","0","小_","","120","2","1")";
    const std::string emoji = R"("/photos/😀","1","/out","1","","","50","0","1")";
    WriteFileAtomic(ini, std::string_view("[SYSTEM]\r\nScript1=old\r\nScript2=old\r\nScript3=old\r\n"
                                          "Script4=old\r\nScript5=old\r\n"));
    SaveBatchList(ini, {"", japanese, "", "", emoji, ""});
    EXPECT_EQ(LoadBatchList(ini), (std::vector<std::string>{japanese, emoji}));
    // A character CP932 lacks turns the file into UTF-8 rather than lose it.
    const std::vector<std::uint8_t> bytes = ReadWholeFile(ini);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "\xEF\xBB\xBF");

    SaveBatchList(ini, {"", ""});
    EXPECT_TRUE(LoadBatchList(ini).empty());
}

}  // namespace
}  // namespace nuthumb
