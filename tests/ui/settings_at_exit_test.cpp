// What the window stores at exit and shows after a restart through its settings
// file: pasted line breaks, long values, and a value the file cannot hold.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
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
        Find<QTabWidget>("pages")->setCurrentIndex(1);
    }
    std::string Text(const char* edit) const { return Find<QLineEdit>(edit)->text().toStdString(); }
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
    SetText("sourceFolderEdit", "/photos");
    Paste("sourceFolderEdit", "/2020\n/2021\n", 7);
    SetText("prefixEdit", "ab");
    Paste("prefixEdit", "x_\r\ny_", 1);  // into the middle: what stood after the cursor stays
    Paste("batchEntryEdit", "\"/a\",\"1\",\"/b\",\"1\",\"\",\"\",\"50\",\"0\",\"1\"\r\nsecond line", 0);
    Click("addEntryButton");
    Find<UpDown>("sizeSpin")->SetPosition(77);
    Click("recursiveCheck");
    Click("updateCheck");
    EXPECT_EQ(Text("sourceFolderEdit"), "/photos/2020");
    EXPECT_EQ(Text("prefixEdit"), "ax_b");
    EXPECT_EQ(Text("batchEntryEdit"), "\"/a\",\"1\",\"/b\",\"1\",\"\",\"\",\"50\",\"0\",\"1\"");

    Stop();
    EXPECT_TRUE(answerer_.boxes.empty());
    Start();
    EXPECT_EQ(Text("sourceFolderEdit"), "/photos/2020");
    EXPECT_EQ(Text("prefixEdit"), "ax_b");
    EXPECT_EQ(Text("sizeEdit"), "77");
    EXPECT_TRUE(Find<QCheckBox>("recursiveCheck")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("updateCheck")->isChecked());
    EXPECT_EQ(Rows(), std::vector<std::string>{"\"/a\",\"1\",\"/b\",\"1\",\"\",\"\",\"50\",\"0\",\"1\""});
}

TEST_F(SettingsAtExitTest, LongPathsAndEntriesComeBackWhole) {
    StartWithBatchTab();
    const std::string deep = "/" + std::string(4094, 'p');  // the longest Linux path
    const std::string entry = "\"/" + std::string(1249, 's') + "\",\"1\",\"/" + std::string(1249, 'd') +
                              "\",\"1\",\"\",\"\",\"50\",\"0\",\"1\"";
    ASSERT_GE(entry.size(), 2499u);
    SetText("sourceFolderEdit", deep);
    SetText("targetFolderEdit", deep + "日本");
    SetText("batchEntryEdit", entry);
    Click("addEntryButton");
    Stop();
    Start();
    EXPECT_EQ(Text("sourceFolderEdit"), deep);
    EXPECT_EQ(Text("targetFolderEdit"), deep + "日本");
    EXPECT_EQ(Rows(), std::vector<std::string>{entry});
}

// A value beyond what the file reads back (64 KiB; an edit holds 32,767
// characters, three bytes each in Japanese) is refused alone and named.
TEST_F(SettingsAtExitTest, AValueTheFileCannotHoldCostsOnlyItsKeyAndIsNamed) {
    PlantFile(Ini(), "[SYSTEM]\r\nBatch=1\r\nFileHead=old_\r\nScript1=first\r\n");
    Start();
    QString japanese(30000, QChar(u'日'));
    ASSERT_GT(japanese.toStdString().size(), SettingsFile::kMaxValueBytes);
    Find<QLineEdit>("prefixEdit")->setText(japanese);
    Find<QLineEdit>("batchEntryEdit")->setText(japanese);
    Click("addEntryButton");
    SetText("batchEntryEdit", "third");
    Click("addEntryButton");
    SetText("suffixEdit", "_t");
    SetText("sourceFolderEdit", "/new");

    Stop();
    ASSERT_EQ(answerer_.boxes.size(), 1u);
    EXPECT_EQ(answerer_.boxes[0].text, Ini() + " に書き込めません: FileHead, Script2.");
    EXPECT_EQ(answerer_.boxes[0].icon, QMessageBox::Critical);
    Start();
    EXPECT_EQ(Text("prefixEdit"), "old_");
    EXPECT_EQ(Text("suffixEdit"), "_t");
    EXPECT_EQ(Text("sourceFolderEdit"), "/new");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"first", "third"}));
}

}  // namespace
}  // namespace nuthumb::test
