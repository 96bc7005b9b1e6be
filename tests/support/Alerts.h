#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>

// Answers the next modal alerts as a user would: each time one opens, records its title, text and
// button labels and presses the button with the given label. A message box that opens while no
// answerer lives fails the test (TestMain.cpp).
class AlertAnswerer
{
public:
    struct Seen {
        QString title;
        QString text;
        QStringList buttons;
        bool hasDestructive = false;
    };

    explicit AlertAnswerer(QString answer)
        : m_answer(std::move(answer))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
        ++s_waiting;
    }
    ~AlertAnswerer() { --s_waiting; }

    static bool waiting() { return s_waiting > 0; }

    const QList<Seen>& seen() const { return m_seen; }

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            m_last = nullptr;
        if (!box || box == m_last)
            return;
        m_last = box;
        Seen seen { box->windowTitle(), box->text(), {}, false };
        QAbstractButton* target = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
            if (box->buttonRole(button) == QMessageBox::DestructiveRole)
                seen.hasDestructive = true;
            if (button->text() == m_answer)
                target = button;
        }
        m_seen << seen;
        if (target)
            target->click();
        else
            box->reject();
    }

    QString m_answer;
    QTimer m_timer;
    // Guarded: the next alert may be made at the address of one already gone.
    QPointer<QMessageBox> m_last;
    QList<Seen> m_seen;
    static inline int s_waiting = 0;
};
