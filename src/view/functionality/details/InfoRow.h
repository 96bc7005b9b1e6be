#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class Popover;
class QAbstractButton;
class QLabel;
class QPushButton;

// One information row of a card: its title with a question mark, which opens a popover with a
// short explanation and one button, and at the trailing edge the value, shortened with an ellipsis
// where the column is too narrow for it (its accessible name stays whole).
class InfoRow : public QWidget
{
    Q_OBJECT
public:
    struct Spec {
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
    InfoRow(const Spec& spec, std::function<void()> pressed, QWidget* parent = nullptr);

    void setValue(const QString& value);
    QString value() const;
    QAbstractButton* titleButton() const { return m_title; }
    Popover* popover() const { return m_popover; }
    QPushButton* popoverButton() const { return m_button; }

private:
    QAbstractButton* m_title;
    QLabel* m_value;
    Popover* m_popover;
    QPushButton* m_button;
};
