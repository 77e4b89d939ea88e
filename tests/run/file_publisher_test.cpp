#include "run/file_publisher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Files handed over are in place after Drain; one whose target turned into a
// folder after its turn comes back as a failure naming its source and the file it
// would have become, and leaves no temporary file behind.
TEST(FilePublisherTest, PublishesInPlaceAndReportsWhatCouldNotBe) {
    TempDir dir;
    const std::string a = dir.path() + "/a.jpg", b = dir.path() + "/b.jpg";
    test::WriteText(a, "old");
    FilePublisher publisher(4);
    StagedFile staged_b(b, Bytes("new b"));
    const FileNode b_node = staged_b.node();
    fs::create_directories(b + "/in-the-way");
    for (int i = 0; i < 10; ++i) publisher.Publish(StagedFile(a, Bytes("new a " + std::to_string(i))), "/src/a");
    publisher.Publish(std::move(staged_b), "/src/b");
    publisher.Drain();

    EXPECT_FALSE(publisher.AnyWaiting());
    EXPECT_EQ(test::ReadText(a), "new a 9");
    const std::vector<PublishFailure> failures = publisher.TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].source_path, "/src/b");
    EXPECT_EQ(failures[0].target_path, b);
    EXPECT_EQ(failures[0].node, b_node) << "so the run can count it as never written";
    EXPECT_EQ(failures[0].reason, "Is a directory") << "the system's words, the path is said once";
    EXPECT_TRUE(publisher.TakeFailures().empty());
    EXPECT_EQ(test::NamesIn(dir.path()), (std::set<std::string>{"a.jpg", "b.jpg"}));
}

}  // namespace
}  // namespace nuthumb
