#pragma once
// The folders a file below a given folder needs, made as `mkdir` makes them.
#include <string>

#include "platform/translate.h"

namespace nuthumb {

inline constexpr char kCannotMakeFolder[] = N_("フォルダ {} を作成できません: {}");

// Makes `folder` and every missing folder between it and `root` (which must be a
// leading part of `folder`, and is never made itself), with mode 0777 less the
// umask. A folder that exists, or that another process makes meanwhile, is fine.
// Throws IoError (kCannotMakeFolder) naming the folder that could not be made.
void MakeFoldersBelow(const std::string& root, const std::string& folder);

}  // namespace nuthumb
