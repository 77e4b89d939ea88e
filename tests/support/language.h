#pragma once
// Runs a child in one of the user's languages, as a session would set it, and
// tells texts of the source language from English ones.
#include <clocale>
#include <cstdlib>
#include <string>

namespace nuthumb::test {

// The languages every translated scenario runs in: Japanese, English, and the C
// locale, which shows the source texts (Japanese).
inline constexpr const char* kLanguages[] = {"ja_JP.UTF-8", "en_US.UTF-8", "C.UTF-8"};

inline bool IsEnglish(const std::string& lang) { return lang.rfind("en", 0) == 0; }

// Call in a child before exec: LANG alone chooses, as in a fresh session.
inline void UseLanguage(const std::string& lang) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) ::unsetenv(name);
    ::setenv("LANG", lang.c_str(), 1);
}

// True when the system has the locale (scripts/setup.sh generates both).
inline bool LocaleInstalled(const std::string& lang) {
    locale_t locale = ::newlocale(LC_ALL_MASK, lang.c_str(), nullptr);
    if (locale) ::freelocale(locale);
    return locale != nullptr;
}

// True when `text` has a character outside ASCII: with ASCII user data, a
// Japanese text on an English screen.
inline bool HasNonAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

}  // namespace nuthumb::test
