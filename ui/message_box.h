#pragma once
// The program's modal message boxes. The caption says the kind ("エラー" or
// "情報"); the buttons are "OK" and "キャンセル" in the user's language.
#include <QString>
#include <string>

#include "platform/translate.h"

class QWidget;

namespace nuthumb {

inline constexpr char kErrorCaption[] = N_("エラー");
inline constexpr char kInformationCaption[] = N_("情報");
inline constexpr char kOkText[] = "OK";
inline constexpr char kCancelText[] = N_("キャンセル");

// The system's texts break lines with CR LF; a label wants LF alone.
QString BoxText(const std::string& text);

void ShowErrorBox(QWidget* parent, const QString& text);
void ShowInformationBox(QWidget* parent, const QString& text);
// A question: information icon, OK and Cancel (キャンセル). True only for OK; closing the
// box or pressing Escape is no. A question whose OK loses files makes
// キャンセル the default, so that Enter keeps them.
enum class DefaultAnswer { kOk, kCancel };
bool AskOkCancelBox(QWidget* parent, const QString& text, DefaultAnswer default_answer = DefaultAnswer::kOk);

// An error that no handler dealt with: error icon, OK, and the program's title
// (its file name, see ProgramTitle) as caption.
void ShowProgramErrorBox(QWidget* parent, const QString& text);

}  // namespace nuthumb
