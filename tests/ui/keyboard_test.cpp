// The window from the keyboard: a key for every button, Tab into radio groups,
// Ctrl+Tab and the hidden batch page.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>

#include "tests/settings/settings_test_util.h"
#include "tests/support/sample_images.h"
#include "tests/ui/window_fixture.h"

namespace nuthumb::test {
namespace {

struct ButtonKeys {
    const char* button;
    const char* keys;  // every key, as the tooltip ends
};

const std::vector<ButtonKeys> kButtonKeys = {
    {"sourceFolderButton", "Ctrl+O"},  {"targetFolderButton", "Ctrl+Shift+O"},
    {"startButton", "Ctrl+Return, Ctrl+Enter"}, {"stopButton", "Esc, Ctrl+."},
    {"registerBatchButton", "Ctrl+B"},           {"addEntryButton", "Ctrl+N"},
    {"updateEntryButton", "Ctrl+R"},        {"deleteEntryButton", "Ctrl+D"},
    {"clearListButton", "Ctrl+Shift+D"}, {"moveUpButton", "Alt+Up"},
    {"moveDownButton", "Alt+Down"},        {"batchStartButton", "Ctrl+Return, Ctrl+Enter"},
    {"batchStopButton", "Esc, Ctrl+."}};

class KeyboardTest : public WindowTest {
protected:
    void StartActive(const std::string& ini = "[SYSTEM]\r\nBatch=1\r\n") {
        PlantFile(Ini(), ini);
        Start();
        QApplication::setActiveWindow(form_.get());
    }
    QTabWidget* Pages() const { return Find<QTabWidget>("pages"); }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    // Presses `key` in `widget` and lets the button's click animation end.
    void Press(const char* widget, const QKeySequence& key) const {
        // A key goes to the active window; a dialog that a key opened may have
        // left none active.
        QApplication::setActiveWindow(Find(widget)->window());
        Find(widget)->setFocus();
        QTest::keySequence(Find(widget), key);
        QTRY_VERIFY_WITH_TIMEOUT(!AnyButtonDown(), 2000);
    }
    bool AnyButtonDown() const {
        for (const ButtonKeys& b : kButtonKeys)
            if (Find<QToolButton>(b.button)->isDown()) return true;
        return false;
    }
};

TEST_F(KeyboardTest, EveryButtonShowsAndExposesItsKeysAndKeepsOutOfTheTabOrder) {
    StartActive();
    for (const ButtonKeys& b : kButtonKeys) {
        auto* button = Find<QToolButton>(b.button);
        EXPECT_TRUE(button->toolTip().contains(QString::fromUtf8(b.keys))) << b.button;
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << b.button;
        QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
        ASSERT_NE(actions, nullptr) << b.button;
        const QString first = QString::fromUtf8(b.keys).section(QStringLiteral(", "), 0, 0);
        EXPECT_EQ(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
                  QStringList{QKeySequence(first).toString()})
            << b.button;
    }
    EXPECT_EQ(Find("moveUpButton")->toolTip(), "選択したエントリを上へ移動 (Alt+Up)");
    for (const QToolButton* arrow : Find("sizeSpin")->findChildren<QToolButton*>())
        EXPECT_EQ(arrow->focusPolicy(), Qt::NoFocus) << "spin arrow";
}

// Each key clicks its button from the edits and the list, on the page on show
// only; a disabled or hidden button ignores it.
TEST_F(KeyboardTest, KeysClickTheButtonsOfThePageOnShow) {
    StartActive();
    std::map<std::string, std::unique_ptr<QSignalSpy>> spies;
    for (const ButtonKeys& b : kButtonKeys)
        spies[b.button] = std::make_unique<QSignalSpy>(Find<QToolButton>(b.button), &QAbstractButton::clicked);
    struct Row {
        int page;
        const char* focus;
        QKeySequence key;
        const char* clicked;  // nullptr: none
    };
    const std::vector<Row> rows = {
        {0, "prefixEdit", QKeySequence("Ctrl+O"), "sourceFolderButton"},
        {0, "sourceFolderEdit", QKeySequence("Ctrl+Shift+O"), "targetFolderButton"},
        {0, "suffixEdit", QKeySequence("Ctrl+B"), "registerBatchButton"},
        {0, "sizeEdit", QKeySequence("Ctrl+Return"), "startButton"},
        {0, "prefixEdit", QKeySequence(Qt::Key_Escape), nullptr},  // no run to cancel
        {0, "prefixEdit", QKeySequence("Ctrl+N"), nullptr},         // the batch page is not on show
        {1, "batchEntryEdit", QKeySequence("Ctrl+N"), "addEntryButton"},
        {1, "batchListBox", QKeySequence("Alt+Up"), "moveUpButton"},
        {1, "batchEntryEdit", QKeySequence("Alt+Down"), "moveDownButton"},
        {1, "batchEntryEdit", QKeySequence("Ctrl+R"), "updateEntryButton"},
        {1, "batchListBox", QKeySequence("Ctrl+D"), "deleteEntryButton"},
        {1, "batchEntryEdit", QKeySequence("Ctrl+Shift+D"), "clearListButton"},
        {1, "batchEntryEdit", QKeySequence("Ctrl+Return"), "batchStartButton"},
        {1, "batchEntryEdit", QKeySequence("Ctrl+B"), nullptr},
    };
    for (const Row& row : rows) {
        Pages()->setCurrentIndex(row.page);
        for (auto& [name, spy] : spies) spy->clear();
        Press(row.focus, row.key);
        const std::string what = row.key.toString().toStdString() + " in " + row.focus;
        for (auto& [name, spy] : spies)
            EXPECT_EQ(spy->count(), row.clicked && name == row.clicked ? 1 : 0) << what << ": " << name;
    }
}

TEST_F(KeyboardTest, CtrlReturnStartsAndEscapeCancelsARun) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) WriteSampleBitmap(In() + "/" + name, 8, 6);
    StartActive("[SYSTEM]\r\n");
    PointAtFolders();
    // The key clicks 中止 after the button's short press animation, during the run.
    answerer_.Once([this] { return Progress() >= 1; }, [this] { Press("sizeEdit", QKeySequence(Qt::Key_Escape)); });
    Press("sourceFolderEdit", QKeySequence("Ctrl+Return"));
    QTRY_COMPARE(answerer_.boxes.size(), 1u);
    EXPECT_EQ(answerer_.boxes[0].text.rfind("サムネイル作成を中断しました。\n\n作成: ", 0), 0u) << answerer_.boxes[0].text;
    EXPECT_LT(NamesIn(Out()).size(), 4u);
}

TEST_F(KeyboardTest, CtrlTabNeverShowsTheHiddenBatchPage) {
    StartActive("[SYSTEM]\r\n");
    for (const char* key : {"Ctrl+Tab", "Ctrl+Shift+Tab", "Ctrl+PgDown", "Ctrl+PgUp"}) {
        Press("sourceFolderEdit", QKeySequence(key));
        EXPECT_EQ(Pages()->currentIndex(), 0) << key;
    }
    EXPECT_FALSE(Find("batchEntryEdit")->isVisible());
    Find<QAction>("batchFeatureAction")->trigger();  // batch feature on
    Press("sourceFolderEdit", QKeySequence("Ctrl+Tab"));
    EXPECT_EQ(Pages()->currentIndex(), 1);
    Find<QAction>("batchFeatureAction")->trigger();  // off again, while the page is on show
    EXPECT_EQ(Pages()->currentIndex(), 0);
    Press("sourceFolderEdit", QKeySequence("Ctrl+Tab"));
    EXPECT_EQ(Pages()->currentIndex(), 0);
}

TEST_F(KeyboardTest, TabIntoARadioGroupLandsOnItsCheckedButton) {
    StartActive("[SYSTEM]\r\nReadFileMode=1\r\nOption=2\r\n");
    const auto checked = [this](const char* group) {
        return Find<RadioGroup>(group)->findChildren<QAbstractButton*>()[Find<RadioGroup>(group)->ItemIndex()];
    };
    Press("sourceFolderEdit", QKeySequence(Qt::Key_Tab));
    EXPECT_EQ(Focus(), Find("recursiveCheck"));
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(Focus(), checked("sourceFormatGroup"));
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(Focus(), Find("targetFolderEdit"));
    QTest::keyClick(Focus(), Qt::Key_Backtab);
    EXPECT_EQ(Focus(), checked("sourceFormatGroup"));
    Press("sizeEdit", QKeySequence(Qt::Key_Tab));
    EXPECT_EQ(Focus(), checked("basisGroup"));
    QTest::keyClick(Focus(), Qt::Key_Tab);
    EXPECT_EQ(Focus(), Find("convertOnlyCheck"));
    QTest::keyClick(Focus(), Qt::Key_Backtab);
    EXPECT_EQ(Focus(), checked("basisGroup"));

    // The settings dialog's group, checked on its last item.
    auto* group = dialog_->findChild<RadioGroup*>("overwriteGroup");
    group->SetItemIndex(2);
    dialog_->show();
    QApplication::setActiveWindow(dialog_.get());
    auto* check = dialog_->findChild<QWidget*>("reportErrorsCheck");
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Tab);
    EXPECT_EQ(Focus(), group->findChildren<QAbstractButton*>()[2]);
}

}  // namespace
}  // namespace nuthumb::test
