#pragma once
// The two files the window program reads and writes, and where they lie.
#include <functional>
#include <string>

namespace nuthumb {

// A file's path, asked for anew at every read or write. The program keeps its
// files beside itself only while that folder can be written, so the answer can
// change while the program runs; a message that names the file must name the one
// really written.
class FilePlace {
public:
    // Always the same file (the tests, the sample pictures).
    FilePlace(std::string fixed_path);
    // Whatever `routine` answers at the moment of use.
    FilePlace(std::function<std::string()> routine);

    std::string Path() const { return path_(); }

private:
    std::function<std::string()> path_;
};

struct ProgramFiles {
    FilePlace settings;    // read at creation, written at destruction
    FilePlace error_list;  // where the ErrorList is exported on request
};

// nuthumb.ini and NuThumb.Err in the program's folder for its own files
// (SettingsFilePath, ErrorListFilePath).
ProgramFiles DefaultProgramFiles();

}  // namespace nuthumb
