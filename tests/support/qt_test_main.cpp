// main() of the window tests: GoogleTest with a QApplication around it. Listing
// the tests (as CTest's discovery does at build time) needs no display at all.
#include <gtest/gtest.h>

#include <QApplication>

// The application class under test: QApplication, or the program's own one
// (NUTHUMB_TEST_APPLICATION, declared in NUTHUMB_TEST_APPLICATION_HEADER).
#ifdef NUTHUMB_TEST_APPLICATION_HEADER
#include NUTHUMB_TEST_APPLICATION_HEADER
#else
#define NUTHUMB_TEST_APPLICATION QApplication
#endif

namespace {

QtMessageHandler default_handler = nullptr;

// The offscreen platform says this about every dialog it shows; nothing else is hidden.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("does not support propagateSizeHints")) return;
    default_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    NUTHUMB_TEST_APPLICATION app(argc, argv);
    default_handler = qInstallMessageHandler(QuietOffscreenNotes);
    return RUN_ALL_TESTS();
}
