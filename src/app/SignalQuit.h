#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT end the program as Quit does, so that what goes at a normal exit (the exchange
// folder, a script's temporary file) goes then too. A script that runs is cancelled first. Make one,
// after the QApplication, for the life of the program.
class SignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuit(QObject* parent = nullptr);
    ~SignalQuit() override;
    SignalQuit(const SignalQuit&) = delete;
    SignalQuit& operator=(const SignalQuit&) = delete;

private:
    void quit();

    QSocketNotifier* m_notifier = nullptr;
};
