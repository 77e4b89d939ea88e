#include "platform/translate.h"

#include <libintl.h>

#include <clocale>

#include "platform/executable_path.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/version.h"

namespace nuthumb {
namespace {

// <prefix>/bin/program → <prefix>/share/locale, for the build tree and an
// installed program; a program copied elsewhere uses the installed catalogues.
std::string LocaleFolderOfProgram() {
    try {
        std::string beside = JoinPath(DirectoryPart(DirectoryPart(ExecutablePath())), "share/locale");
        if (DirectoryExists(beside)) return beside;
    } catch (const IoError&) {
        // no path of its own: the installed catalogues, if any
    }
    return std::string(kInstallLocaleFolder);
}

}  // namespace

void InitTranslation(const std::string& locale_folder) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    const std::string folder = locale_folder.empty() ? LocaleFolderOfProgram() : locale_folder;
    ::bindtextdomain(kTextDomain, folder.c_str());
    // The program works in UTF-8 whatever the locale's own character set.
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
}

const char* Tr(const char* source) { return ::dgettext(kTextDomain, source); }

const char* Tr(const char* context, const char* source) {
    // The catalogue keys a text with a context as context, EOT, text.
    const std::string key = std::string(context) + '\004' + source;
    const char* found = ::dgettext(kTextDomain, key.c_str());
    return found == key.c_str() ? source : found;
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    const std::string_view* next = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "{}") == 0 && next != values.end()) {
            out.append(*next++);
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

}  // namespace nuthumb
