// What the window stores at exit and shows after a restart through its settings
// file: pasted line breaks, long values, and a value the file cannot hold.
#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QTabWidget>

#include "settings/settings_file.h"
#include "tests/settings/settings_test_util.h"
#include "tests/ui/window_fixture.h"
#include "ui/up_down.h"

namespace nuthumb::test {
namespace {

class SettingsAtExitTest : public WindowTest {
protected:
    void StartWithBatchTab() {
        PlantFile(Ini(), "[SYSTEM]\r\nBatch=1\r\n");
        Start();
        Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    }
    std::string Text(const char* edit) const { return Find<QLineEdit>(edit)->text().toStdString(); }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        auto* list = Find<QListWidget>("ListBoxBat");
        for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text().toStdString());
        return rows;
    }
    // The text on the clipboard pasted with the paste key into `edit`, the cursor
    // after `cursor` characters.
    void Paste(const char* edit, const QString& text, int cursor) const {
        QGuiApplication::clipboard()->setText(text);
        auto* line = Find<QLineEdit>(edit);
        line->setFocus();
        line->setCursorPosition(cursor);
        QTest::keySequence(line, QKeySequence::Paste);
    }
};

TEST_F(SettingsAtExitTest, PastedLineBreaksKeepTheFirstLineAndEverythingIsStored) {
    StartWithBatchTab();
    SetText("EditSrcDir", "/photos");
    Paste("EditSrcDir", "/2020\n/2021\n", 7);
    SetText("EditHead", "ab");
    Paste("EditHead", "x_\r\ny_", 1);  // into the middle: what stood after the cursor stays
    Paste("EditBat", "\"/a\",\"1\",\"/b\",\"1\",\"\",\"\",\"50\",\"0\",\"1\"\r\nsecond line", 0);
    Click("SpeedButtonAdd");
    Find<UpDown>("UpDownSize")->SetPosition(77);
    EXPECT_EQ(Text("EditSrcDir"), "/photos/2020");
    EXPECT_EQ(Text("EditHead"), "ax_b");
    EXPECT_EQ(Text("EditBat"), "\"/a\",\"1\",\"/b\",\"1\",\"\",\"\",\"50\",\"0\",\"1\"");

    Stop();
    EXPECT_TRUE(answerer_.boxes.empty());
    Start();
    EXPECT_EQ(Text("EditSrcDir"), "/photos/2020");
    EXPECT_EQ(Text("EditHead"), "ax_b");
    EXPECT_EQ(Text("EditSize"), "77");
    EXPECT_EQ(Rows(), std::vector<std::string>{"\"/a\",\"1\",\"/b\",\"1\",\"\",\"\",\"50\",\"0\",\"1\""});
}

TEST_F(SettingsAtExitTest, LongPathsAndEntriesComeBackWhole) {
    StartWithBatchTab();
    const std::string deep = "/" + std::string(4094, 'p');  // the longest Linux path
    const std::string entry = "\"/" + std::string(1249, 's') + "\",\"1\",\"/" + std::string(1249, 'd') +
                              "\",\"1\",\"\",\"\",\"50\",\"0\",\"1\"";
    ASSERT_GE(entry.size(), 2499u);
    SetText("EditSrcDir", deep);
    SetText("EditDstDir", deep + "日本");
    SetText("EditBat", entry);
    Click("SpeedButtonAdd");
    Stop();
    Start();
    EXPECT_EQ(Text("EditSrcDir"), deep);
    EXPECT_EQ(Text("EditDstDir"), deep + "日本");
    EXPECT_EQ(Rows(), std::vector<std::string>{entry});
}

// A value beyond what the file reads back (64 KiB; an edit holds 32,767
// characters, three bytes each in Japanese) is refused alone and named.
TEST_F(SettingsAtExitTest, AValueTheFileCannotHoldCostsOnlyItsKeyAndIsNamed) {
    PlantFile(Ini(), "[SYSTEM]\r\nBatch=1\r\nFileHead=old_\r\nScript1=first\r\n");
    Start();
    QString japanese(30000, QChar(u'日'));
    ASSERT_GT(japanese.toStdString().size(), SettingsFile::kMaxValueBytes);
    Find<QLineEdit>("EditHead")->setText(japanese);
    Find<QLineEdit>("EditBat")->setText(japanese);
    Click("SpeedButtonAdd");
    SetText("EditBat", "third");
    Click("SpeedButtonAdd");
    SetText("EditEnd", "_t");
    SetText("EditSrcDir", "/new");

    Stop();
    ASSERT_EQ(answerer_.boxes.size(), 1u);
    EXPECT_EQ(answerer_.boxes[0].text, Ini() + " に書き込めません: FileHead, Script2.");
    EXPECT_EQ(answerer_.boxes[0].icon, QMessageBox::Critical);
    Start();
    EXPECT_EQ(Text("EditHead"), "old_");
    EXPECT_EQ(Text("EditEnd"), "_t");
    EXPECT_EQ(Text("EditSrcDir"), "/new");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"first", "third"}));
}

}  // namespace
}  // namespace nuthumb::test
