#pragma once
// A fresh folder under /opt, where programs lie that the package manager
// installed: a program copied into it counts as installed. Only root may make one,
// and root is the user who could also write beside such a program.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace nuthumb::test {

class SystemProgramFolder {
public:
    SystemProgramFolder() {
        std::string name = "/opt/nuthumb-test-XXXXXX";
        if (::geteuid() == 0 && ::mkdtemp(name.data())) path_ = name;
    }
    SystemProgramFolder(const SystemProgramFolder&) = delete;
    SystemProgramFolder& operator=(const SystemProgramFolder&) = delete;
    ~SystemProgramFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    // Empty when the folder could not be made (not root).
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace nuthumb::test
