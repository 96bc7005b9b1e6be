#include "Alerts.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace
{
// A window left waiting for a user fails its test, named, and is closed so the test runs on: at once
// for a message box no AlertAnswerer waits for, after a second for anything else.
void failOnUnansweredWindow()
{
    static QPointer<QWidget> seen;
    static QElapsedTimer since;
    QWidget* open = QApplication::activeModalWidget();
    // A popup holds nothing up unless something waits in an event loop for it to close.
    if (!open && QThread::currentThread()->loopLevel() > 0)
        open = QApplication::activePopupWidget();
    // The window shown while a script runs closes by itself (a script that never ends meets the hang limit).
    if (open && open->inherits("ScriptWaitDialog"))
        open = nullptr;
    if (open != seen)
        seen = open, since.start();
    auto* box = qobject_cast<QMessageBox*>(open);
    if (!open || since.elapsed() < (box && !AlertAnswerer::waiting() ? 0 : 1000))
        return;
    ADD_FAILURE() << "Nobody answered the " << open->metaObject()->className() << " \""
                  << open->windowTitle().toStdString() << "\" " << (box ? box->text().toStdString() : "");
    if (auto* dialog = qobject_cast<QDialog*>(open))
        dialog->reject();
    else
        open->close();
}

// A test stuck outside the event loop (a deadlock, an endless loop) ends the program with its name.
constexpr unsigned hangLimitSeconds = 30;
char hangMessage[512];

extern "C" void stopHungTest(int) { _exit(write(STDERR_FILENO, hangMessage, std::strlen(hangMessage)) > 0 ? 1 : 2); }

struct HangLimit : ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::snprintf(hangMessage, sizeof hangMessage, "\n%s.%s did not end within %u s: stopped\n",
            test.test_suite_name(), test.name(), hangLimitSeconds);
        alarm(hangLimitSeconds);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { alarm(0); }
};
} // namespace

int main(int argc, char** argv)
{
    TestEnvironment::isolate();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, failOnUnansweredWindow);
    watchdog.start(20);
    std::signal(SIGALRM, stopHungTest);
    ::testing::UnitTest::GetInstance()->listeners().Append(new HangLimit); // owned by the test run
    return RUN_ALL_TESTS();
}
