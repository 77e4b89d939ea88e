#include "platform/path_util.h"

namespace nuthumb {
namespace {

// Index where the file name's extension starts, or npos.
std::size_t ExtensionStart(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos) return dot;
    if (slash != std::string_view::npos && dot < slash) return std::string_view::npos;
    return dot;
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out;
    out.reserve(folder.size() + 1 + name.size());
    out.append(folder).append("/").append(name);
    return out;
}

std::string FileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DirectoryPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string ExtensionOf(std::string_view path) {
    const std::size_t dot = ExtensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    const std::size_t dot = ExtensionStart(path);
    std::string out(dot == std::string_view::npos ? path : path.substr(0, dot));
    out.append(extension);
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string FolderOf(std::string_view path) {
    std::string folder = DirectoryPart(path);
    if (folder.empty()) folder.push_back('.');
    return folder;
}

}  // namespace nuthumb
