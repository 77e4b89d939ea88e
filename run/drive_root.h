#pragma once
// The drive-root rule: a folder text that names a drive root ("D:\") loses its
// separator so that joining a file name gives "D:/name", not "D:\/name".
#include <string>
#include <string_view>

namespace nuthumb {

// "D:\" or "D:/" (any ASCII letter) becomes "D:"; every other text comes back as
// given. Only real drive roots are cut: a three-byte folder such as "abc" or
// "/ab" must keep its last byte, or the run would go to another folder.
std::string ApplyDriveRootRule(std::string_view folder);

}  // namespace nuthumb
