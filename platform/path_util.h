#pragma once
// Path text helpers. Paths are joined with '/'; a file's extension is the part of
// its name from the last '.', and a '.' in a folder name does not count.
#include <string>
#include <string_view>

namespace nuthumb {

// folder + "/" + name.
std::string JoinPath(std::string_view folder, std::string_view name);

// The part after the last '/', or the whole text when there is none.
std::string FileNamePart(std::string_view path);

// The part before the last '/' (empty when there is none; "/" for a file in the root).
std::string DirectoryPart(std::string_view path);
// The folder that holds `path`, "." for a bare name.
std::string FolderOf(std::string_view path);

// The file name's extension with its '.', e.g. ".JPG"; empty when the name has none.
std::string ExtensionOf(std::string_view path);

// The path with its file name's extension replaced by `extension` (which carries its
// own '.'); appended when the name has none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// ASCII lower case; other bytes unchanged.
std::string AsciiLower(std::string_view text);

}  // namespace nuthumb
