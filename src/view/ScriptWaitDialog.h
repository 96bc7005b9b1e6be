#pragma once

#include "model/templatematching/ScriptRun.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Waits for a script with the window painted: the event loop runs, no input reaches any other
// window, and after a second a small modal window with the given text offers "Cancel". A cancelled
// script that has not unwound a few seconds later is left running.
class ScriptWaitDialog : public QDialog, public ScriptWaiter
{
    Q_OBJECT
public:
    static constexpr int showAfterMs = 1000;
    static constexpr int giveUpAfterMs = 3000;

    ScriptWaitDialog(const QString& text, QWidget* parent);

    void wait(ScriptRun& run) override;
    bool wasCancelled() const { return m_cancelled; }
    // The cancelled script did not unwind in time.
    bool gaveUp() const { return m_gaveUp; }

    // Escape and closing the window cancel too; the window stays until the script has stopped.
    void reject() override;
    // Cancels every script being waited for; whether there was any.
    static bool cancelAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ScriptRun* m_run = nullptr;
    QLabel* m_label;
    QPushButton* m_cancel;
    bool m_cancelled = false;
    bool m_gaveUp = false;
    QTimer* m_giveUp;
};
