#pragma once
// The program's texts in the user's language. Japanese is the source language:
// each Japanese text is its own key into the catalogue, so under C, POSIX,
// Japanese or a language without a catalogue the text shows unchanged.
// Texts written into files (the settings file, the error list, the batch log)
// are never passed through here: other tools and earlier versions read them.
#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text for the catalogue where it is defined; Tr() translates it where
// it is shown (tools/po extracts both keywords).
#define N_(text) text

namespace nuthumb {

inline constexpr char kTextDomain[] = "nuthumb";

// Takes the user's locale from the environment (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG) for texts, character classes and the C library's reasons; numbers keep
// the C form, which the settings file and the command line read and write. The
// catalogues are looked up in `locale_folder`, or, when it is empty, in
// share/locale beside the program's bin folder (the build tree and an installed
// program alike) when there is one, else in the install prefix's. Call once, first thing in main (after QApplication, which sets
// the locale itself).
void InitTranslation(const std::string& locale_folder = {});

// The text in the user's language; the source text when there is none.
const char* Tr(const char* source);

// The same for a source text that has more than one role (a menu and an item of
// it), told apart by `context`, so that each may read differently.
const char* Tr(const char* context, const char* source);

// `pattern` with each "{}" replaced by the next of `values`, in order: a
// translation may move the values around the words, not reorder them. A "{}"
// inside a value stays as it is.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace nuthumb
