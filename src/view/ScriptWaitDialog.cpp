#include "view/ScriptWaitDialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

ScriptWaitDialog::ScriptWaitDialog(const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_label(new QLabel(text, this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_giveUp(new QTimer(this))
{
    setWindowTitle(text);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, &ScriptWaitDialog::reject);
    m_giveUp->setSingleShot(true);
    m_giveUp->setInterval(giveUpAfterMs);
}

void ScriptWaitDialog::reject()
{
    if (!m_run || m_cancelled)
        return;
    m_cancelled = true;
    m_run->cancel();
    m_label->setText(QStringLiteral("Stopping…"));
    m_cancel->setEnabled(false);
    m_giveUp->start();
}

namespace
{
QList<ScriptWaitDialog*>& waiting()
{
    static QList<ScriptWaitDialog*> dialogs;
    return dialogs;
}
} // namespace

bool ScriptWaitDialog::cancelAll()
{
    const QList<ScriptWaitDialog*> dialogs = waiting();
    for (ScriptWaitDialog* dialog : dialogs)
        dialog->reject();
    return !dialogs.isEmpty();
}

void ScriptWaitDialog::wait(ScriptRun& run)
{
    if (run.isFinished())
        return;
    m_run = &run;
    waiting().append(this);
    QEventLoop loop;
    // The worker's hook runs on its own thread: it only posts the wake-up.
    run.setFinishedHook([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    auto giveUp = connect(m_giveUp, &QTimer::timeout, &loop, [this, &loop] {
        m_gaveUp = true;
        loop.quit();
    });
    QTimer appear;
    appear.setSingleShot(true);
    connect(&appear, &QTimer::timeout, this, [this] {
        QApplication::restoreOverrideCursor();
        show();
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
    appear.start(showAfterMs);
    while (!run.isFinished() && !m_gaveUp)
        loop.exec();
    qApp->removeEventFilter(this);
    if (!isVisible())
        QApplication::restoreOverrideCursor();
    run.setFinishedHook({});
    disconnect(giveUp);
    m_giveUp->stop();
    hide();
    m_run = nullptr;
    waiting().removeOne(this);
}

bool ScriptWaitDialog::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::NativeGesture:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Drop:
    case QEvent::Close: {
        // Only this window takes input; the others wait, and none closes under the running script.
        const auto* widget = qobject_cast<QWidget*>(watched);
        const bool own = widget ? widget->window() == this : watched == windowHandle();
        return !own;
    }
    default:
        return false;
    }
}
