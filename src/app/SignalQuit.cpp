#include "app/SignalQuit.h"

#include "view/ScriptWaitDialog.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr int quitSignals[] { SIGTERM, SIGINT };
int wakeUp[2] { -1, -1 };

// All a handler may do: the event loop reads the byte and does the rest.
void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakeUp[1], &byte, 1);
    errno = saved;
}
} // namespace

SignalQuit::SignalQuit(QObject* parent)
    : QObject(parent)
{
    // One per process: the signals have one handler.
    if (wakeUp[0] >= 0 || ::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeUp[0], bytes, sizeof bytes) > 0) { }
        quit();
    });
    struct sigaction action {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : quitSignals)
        sigaction(signal, &action, nullptr);
}

SignalQuit::~SignalQuit()
{
    if (!m_notifier)
        return;
    for (int signal : quitSignals)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    for (int& fd : wakeUp)
        if (fd >= 0)
            ::close(std::exchange(fd, -1));
}

void SignalQuit::quit()
{
    // A script's wait runs an event loop of its own that quitting would leave spinning: the script
    // is cancelled, and the program quits once nothing waits for it any more.
    if (ScriptWaitDialog::cancelAll()) {
        QTimer::singleShot(50, this, &SignalQuit::quit);
        return;
    }
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}
