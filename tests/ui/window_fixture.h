#pragma once
// A main window and its settings dialog over a settings file in a fresh folder,
// the way start-up wires them, with a ModalAnswerer for the boxes they open.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <map>
#include <memory>
#include <string>

#include "tests/support/folder_files.h"
#include "tests/support/modal_answerer.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/radio_group.h"

namespace nuthumb::test {

// Every control whose enabling the three states set, in the order they set them.
inline const std::vector<const char*> kStateControls = {
    "EditSrcDir", "SpeedButtonSrcDirSelect", "RadioGroupReadFileExt", "EditDstDir", "SpeedButtonDstDirSelect",
    "EditHead", "EditEnd", "RadioGroupSaveFileExt", "Label6", "EditSize", "UpDownSize", "Label7",
    "RadioGroupOption", "SpeedButtonThumb", "SpeedButtonBat", "SpeedButtonCancel", "ListBoxBat", "EditBat",
    "SpeedButtonAdd", "SpeedButtonUpdate", "SpeedButtonDelete", "SpeedButtonAllClear", "SpeedButtonUp",
    "SpeedButtonDown", "SpeedButtonBatExe", "SpeedButtonBatCancel", "CheckBoxNOThumb"};

class WindowTest : public ::testing::Test {
protected:
    ~WindowTest() override { Stop(); }

    std::string Ini() const { return folders_.root() + "/nuthumb.ini"; }
    std::string ErrFile() const { return folders_.root() + "/NuThumb.Err"; }
    std::string In() const { return folders_.in(); }
    std::string Out() const { return folders_.out(); }

    void Start() { Start({Ini(), ErrFile()}); }
    void Start(const ProgramFiles& files) {
        form_ = std::make_unique<TForm1>(files);
        dialog_ = std::make_unique<TFormSetting>(files.settings);
        form_->SetSettingDialog(dialog_.get());
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
    void SetText(const char* edit, const std::string& text) const {
        Find<QLineEdit>(edit)->setText(QString::fromStdString(text));
    }
    // The individual tab pointed at the test folders, BMP in, `to` out.
    void PointAtFolders(int to_item = 1) const {
        SetText("EditSrcDir", In());
        SetText("EditDstDir", Out());
        Find<RadioGroup>("RadioGroupReadFileExt")->SetItemIndex(0);
        Find<RadioGroup>("RadioGroupSaveFileExt")->SetItemIndex(to_item);
    }
    std::map<std::string, bool> Enabled() const {
        std::map<std::string, bool> enabled;
        for (const char* name : kStateControls) enabled[name] = Find(name)->isEnabled();
        return enabled;
    }
    int Progress() const { return Find<QProgressBar>("ProgressBar1")->value(); }

    RunFolders folders_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TFormSetting> dialog_;
    ModalAnswerer answerer_;
};

}  // namespace nuthumb::test
