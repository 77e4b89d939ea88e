// The window in each language: the same message boxes and result text, in Japanese under Japanese and C and in English under English, where no
// caption is cut off and no Japanese character is left.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

#include "platform/translate.h"
#include "tests/support/language.h"
#include "tests/support/sample_images.h"
#include "tests/ui/window_fixture.h"

namespace nuthumb {
namespace {

class WindowLanguageTest : public test::WindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        if (!test::LocaleInstalled(GetParam())) FAIL() << GetParam() << " is not generated: run scripts/setup.sh";
        test::UseLanguage(GetParam());
        InitTranslation(NUTHUMB_LOCALE_DIR);
    }
    void TearDown() override {
        Stop();
        test::UseLanguage("C.UTF-8");
        InitTranslation(NUTHUMB_LOCALE_DIR);
    }
    std::string Text(const std::string& japanese, const std::string& english) const {
        return test::IsEnglish(GetParam()) ? english : japanese;
    }
    // Every caption of the window and of the settings dialog.
    std::vector<std::pair<QWidget*, QString>> Captions() const {
        std::vector<std::pair<QWidget*, QString>> captions;
        for (QWidget* top : {static_cast<QWidget*>(form_.get()), static_cast<QWidget*>(dialog_.get())}) {
            for (auto* label : top->findChildren<QLabel*>()) captions.emplace_back(label, label->text());
            for (auto* button : top->findChildren<QAbstractButton*>()) captions.emplace_back(button, button->text());
            for (auto* group : top->findChildren<QGroupBox*>()) captions.emplace_back(group, group->title());
        }
        return captions;
    }
};

TEST_P(WindowLanguageTest, BoxesAndResult) {
    Start();
    Click("startButton");  // no folders yet
    test::WriteSampleBitmap(In() + "/a.bmp");
    PointAtFolders();
    Click("startButton");
    ASSERT_EQ(answerer_.boxes.size(), 2u);
    EXPECT_EQ(answerer_.boxes[0],
              (test::SeenBox{Text("エラー", "Error"),
                             Text("読込み先フォルダ、保存先フォルダともに未設定です。",
                                  "Neither the source folder nor the destination folder is set."),
                             QMessageBox::Critical, {"OK"}}));
    EXPECT_EQ(answerer_.boxes[1], (test::SeenBox{Text("情報", "Information"),
                                                 Text("サムネイル作成が終了しました。\n\n"
                                                      "作成: 1 個、既にあったため残した: 0 個、失敗: 0 個",
                                                      "Finished making thumbnails.\n\n"
                                                      "Made: 1, kept (already there): 0, failed: 0"),
                                                 QMessageBox::Information, {"OK"}}));
}

TEST_P(WindowLanguageTest, EveryCaptionFitsAndEnglishHasNoJapanese) {
    Start();
    dialog_->show();  // its radio buttons are placed when it is first laid out
    for (const auto& [widget, caption] : Captions()) {
        const std::string name = widget->objectName().toStdString() + " \"" + caption.toStdString() + "\"";
        if (test::IsEnglish(GetParam()) && caption != "▲" && caption != "▼") {
            EXPECT_FALSE(test::HasNonAscii(caption.toStdString())) << name;
        }
        if (caption.isEmpty() || caption == "...") continue;
        // A tool button's caption needs its advance and the frame; the others say
        // what they need.
        const int needed = qobject_cast<QGroupBox*>(widget)
                               ? widget->fontMetrics().horizontalAdvance(caption) + 12
                           : qobject_cast<QToolButton*>(widget)
                               ? widget->fontMetrics().horizontalAdvance(caption) + 4
                               : widget->sizeHint().width();
        EXPECT_LE(needed, widget->width()) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowLanguageTest, ::testing::ValuesIn(test::kLanguages),
                         [](const auto& info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace nuthumb
