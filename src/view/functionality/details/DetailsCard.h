#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

class QPropertyAnimation;
class QVBoxLayout;

// A card of the details panel: a column of rows on a diagonal wash of two colours, with rounded
// corners. Its collapsible part (the rows under the title) hides while the card is collapsed.
class DetailsCard : public QWidget
{
    Q_OBJECT
public:
    static constexpr int collapseDurationMs = 500;
    static constexpr int rowSpacing = 10;
    static constexpr int horizontalPadding = 10;

    DetailsCard(const QColor& washFrom, const QColor& washTo, QWidget* parent = nullptr);

    QVBoxLayout* column() const { return m_column; }
    // The title row and the divider under it, then the rows that collapse, whose layout it answers.
    QVBoxLayout* addTitleAndCollapsible(QWidget* title);
    void setCollapsed(bool collapsed);
    bool isCollapsed() const { return m_collapsed; }
    bool isFolding() const;

    // A horizontal rule, inset like the rows.
    static QWidget* divider();
    // The fonts of a card's titles and of its rows.
    static QFont headlineFont(const QFont& base);
    static QFont subheadlineFont(const QFont& base);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_washFrom;
    QColor m_washTo;
    QVBoxLayout* m_column;
    QWidget* m_collapsible = nullptr;
    QPointer<QPropertyAnimation> m_fold;
    bool m_collapsed = false;
};
