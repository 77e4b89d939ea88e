#pragma once
// Small file helpers for tests that look at whole folders.
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

namespace nuthumb::test {

inline std::string ReadText(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// The names of everything in the folder.
inline std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename());
    return names;
}

// A temporary folder holding an empty source folder "in" and destination "out".
class RunFolders {
public:
    RunFolders() {
        std::filesystem::create_directory(in());
        std::filesystem::create_directory(out());
    }
    const std::string& root() const { return dir_.path(); }
    std::string in() const { return dir_.path() + "/in"; }
    std::string out() const { return dir_.path() + "/out"; }

private:
    TempDir dir_;
};

}  // namespace nuthumb::test
