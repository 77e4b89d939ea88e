#pragma once
// A main window and its settings dialog over a settings file in a fresh folder,
// the way start-up wires them, with a ModalAnswerer for the boxes they open.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMouseEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <map>
#include <memory>
#include <string>

#include "tests/support/folder_files.h"
#include "tests/support/modal_answerer.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/radio_group.h"

namespace nuthumb::test {

// Every control whose enabling the three states set, in the order they set them.
inline const std::vector<const char*> kStateControls = {
    "sourceFolderEdit", "sourceFolderButton", "sourceFormatGroup", "targetFolderEdit", "targetFolderButton",
    "prefixEdit", "suffixEdit", "targetFormatGroup", "sizeLabel", "sizeEdit", "sizeSpin", "sizeUnitLabel",
    "basisGroup", "startButton", "registerBatchButton", "stopButton", "batchListBox", "batchEntryEdit",
    "addEntryButton", "updateEntryButton", "deleteEntryButton", "clearListButton", "moveUpButton",
    "moveDownButton", "batchStartButton", "batchStopButton", "convertOnlyCheck"};

class WindowTest : public ::testing::Test {
protected:
    ~WindowTest() override { Stop(); }

    std::string Ini() const { return folders_.root() + "/nuthumb.ini"; }
    std::string ErrFile() const { return folders_.root() + "/NuThumb.Err"; }
    std::string In() const { return folders_.in(); }
    std::string Out() const { return folders_.out(); }

    void Start() { Start({Ini(), ErrFile()}); }
    void Start(const ProgramFiles& files) {
        form_ = std::make_unique<MainWindow>(files);
        dialog_ = std::make_unique<SettingsDialog>(files.settings);
        form_->SetSettingsDialog(dialog_.get());
        form_->show();
    }
    // Program exit: the dialog stores its keys before the main window.
    void Stop() {
        dialog_.reset();
        form_.reset();
    }

    template <class T = QWidget>
    T* Find(const char* name) const {
        T* widget = form_->findChild<T*>(name);
        if (!widget) ADD_FAILURE() << "no control " << name;
        return widget;
    }
    void Click(const char* name) const { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
    // `count` clicks on the button, all queued before the first is handled, as a
    // double click or a key repeat reaches the window; then handled.
    void QueueClicks(const char* name, int count) const {
        QAbstractButton* button = Find<QAbstractButton>(name);
        const QPointF at = QRectF(button->rect()).center();
        for (int i = 0; i < count; ++i) {
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
                // The queue owns a posted event.
                QCoreApplication::postEvent(button, std::make_unique<QMouseEvent>(type, at, button->mapToGlobal(at),
                                                                                  Qt::LeftButton, held, Qt::NoModifier)
                                                        .release());
            }
        }
        QCoreApplication::processEvents();
    }
    void SetText(const char* edit, const std::string& text) const {
        Find<QLineEdit>(edit)->setText(QString::fromStdString(text));
    }
    // The individual tab pointed at the test folders, BMP in, `to` out.
    void PointAtFolders(int to_item = 1) const {
        SetText("sourceFolderEdit", In());
        SetText("targetFolderEdit", Out());
        Find<RadioGroup>("sourceFormatGroup")->SetItemIndex(0);
        Find<RadioGroup>("targetFormatGroup")->SetItemIndex(to_item);
    }
    std::map<std::string, bool> Enabled() const {
        std::map<std::string, bool> enabled;
        for (const char* name : kStateControls) enabled[name] = Find(name)->isEnabled();
        return enabled;
    }
    int Progress() const { return Find<QProgressBar>("progressBar")->value(); }
    // The batch list's entries, top first.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        auto* list = Find<QListWidget>("batchListBox");
        for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text().toStdString());
        return rows;
    }

    RunFolders folders_;
    std::unique_ptr<MainWindow> form_;
    std::unique_ptr<SettingsDialog> dialog_;
    ModalAnswerer answerer_;
};

}  // namespace nuthumb::test
