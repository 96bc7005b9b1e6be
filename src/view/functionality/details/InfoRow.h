#pragma once

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <utility>

class Popover;
class QAbstractButton;
class QLabel;
class QPushButton;
class QVBoxLayout;

// One information row of a card: its title with a question mark, which opens a popover with a
// short explanation and one button, and at the trailing edge the value, shortened with an ellipsis
// where the column is too narrow for it (its accessible name stays whole).
class InfoRow : public QWidget
{
    Q_OBJECT
public:
    struct Setup {
        QString title;
        QString popoverText;
        QString buttonText;
        // A tap on the title closes an open popover (else it leaves it open).
        bool tapToggles;
        int popoverWidth;
        QColor washFrom;
        QColor washTo;
    };
    static constexpr int titleWidth = 80;

    // pressed runs on the popover's button.
    InfoRow(const Setup& setup, std::function<void()> pressed, QWidget* parent = nullptr);

    // One row per (title, popover text) into a card's rows, a divider between each two and, if asked,
    // after the last.
    template <size_t N>
    static std::array<InfoRow*, N> addRows(QVBoxLayout* rows,
        const std::array<std::pair<const char*, const char*>, N>& texts, Setup common, bool dividerAfterLast,
        const std::function<void()>& pressed)
    {
        std::array<InfoRow*, N> made {};
        for (size_t i = 0; i < N; ++i) {
            common.title = QString::fromUtf8(texts[i].first);
            common.popoverText = QString::fromUtf8(texts[i].second);
            made[i] = addRow(rows, common, i > 0, pressed);
        }
        if (dividerAfterLast)
            addDivider(rows);
        return made;
    }

    void setValue(const QString& value);
    QString value() const;
    QAbstractButton* titleButton() const { return m_title; }
    Popover* popover() const { return m_popover; }
    QPushButton* popoverButton() const { return m_button; }

private:
    static InfoRow* addRow(
        QVBoxLayout* rows, const Setup& setup, bool dividerBefore, const std::function<void()>& pressed);
    static void addDivider(QVBoxLayout* rows);

    QAbstractButton* m_title;
    QLabel* m_value;
    Popover* m_popover;
    QPushButton* m_button;
};
