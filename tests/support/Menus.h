#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Answers the next popup menu as a user would: notes its entries and clicks the one with the given
// text; a menu without it is closed. Make it right before what opens the menu.
class MenuAnswerer
{
public:
    explicit MenuAnswerer(QString entry)
        : m_entry(std::move(entry))
    {
        // Bound to a member, so an answerer that is gone never answers.
        QTimer::singleShot(0, &m_context, [this] { answer(); });
    }

    bool shown() const { return m_shown; }
    const QStringList& entries() const { return m_entries; }
    bool chosenHadIcon() const { return m_chosenHadIcon; }

private:
    void answer()
    {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        m_shown = true;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            m_entries << action->text();
            if (action->text() == m_entry)
                chosen = action;
        }
        if (!chosen) {
            menu->close();
            return;
        }
        m_chosenHadIcon = !chosen->icon().isNull();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    }

    QString m_entry;
    QObject m_context;
    bool m_shown = false;
    QStringList m_entries;
    bool m_chosenHadIcon = false;
};
