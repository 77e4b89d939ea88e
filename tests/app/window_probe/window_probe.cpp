// Stands in for a user of the real window program: it starts the windows over
// DefaultProgramFiles() as `nuthumb` does, prints the size the window loaded,
// optionally runs one conversion, answers every box with OK, closes the window and
// ends the way the program does, storing everything. Then it prints each box.
// It starts as `nuthumb` does, so its runs on the offscreen platform also show
// that the display check lets those through.
//
//   nuthumb-window-probe [--remove-self] [SOURCE_DIR DEST_DIR SIZE]
//
// --remove-self deletes the program's own file before the exit, as a package
// upgrade or a rebuild does to a running program.
#include <unistd.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/nu_application.h"
#include "app/program_windows.h"
#include "app/start_check.h"
#include "platform/executable_path.h"
#include "tests/support/modal_answerer.h"
#include "ui/radio_group.h"
#include "ui/up_down.h"

int main(int argc, char** argv) {
    using namespace nuthumb;
    if (const std::optional<int> status = AnswerBeforeWindows(argc, argv, std::cout, std::cerr)) return *status;
    NuApplication app(argc, argv);
    const bool remove_self = argc > 1 && std::strcmp(argv[1], "--remove-self") == 0;
    char** job = argv + (remove_self ? 2 : 1);
    const int job_args = argc - (remove_self ? 2 : 1);

    test::ModalAnswerer answerer;
    {
        ProgramWindows windows(DefaultProgramFiles());
        MainWindow& form = windows.Main();
        form.show();
        std::cout << "size " << form.findChild<QLineEdit*>("sizeEdit")->text().toStdString() << "\n";
        if (job_args == 3) {
            form.findChild<QLineEdit*>("sourceFolderEdit")->setText(job[0]);
            form.findChild<QLineEdit*>("targetFolderEdit")->setText(job[1]);
            form.findChild<UpDown*>("sizeSpin")->SetPosition(std::atoi(job[2]));
            form.findChild<RadioGroup*>("sourceFormatGroup")->SetItemIndex(0);
            form.findChild<QAbstractButton*>("startButton")->click();
        }
        if (remove_self) ::unlink(ExecutablePath().c_str());
        form.close();
    }
    for (const test::SeenBox& box : answerer.boxes) {
        std::string text = box.text;
        for (char& c : text)
            if (c == '\n') c = '|';
        std::cout << "box " << text << "\n";
    }
    return 0;
}
