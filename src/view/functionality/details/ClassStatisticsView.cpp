#include "view/functionality/details/ClassStatisticsView.h"

#include "model/Palette.h"
#include "view/Popover.h"
#include "view/functionality/details/ClassBarChart.h"
#include "view/functionality/details/ElidedLabel.h"
#include "view/modifiers/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// A caption on a tinted ground: the column heads (rounded) and the table's cells.
QLabel* chip(const QString& text, const QColor& ground, int radius)
{
    auto* label = new ElidedLabel(text);
    label->setStyleSheet(QStringLiteral("QLabel { background: rgba(%1, %2, %3, %4); border-radius: %5px; "
                                        "padding: 5px 8px; }")
                             .arg(ground.red())
                             .arg(ground.green())
                             .arg(ground.blue())
                             .arg(ground.alphaF())
                             .arg(radius));
    return label;
}

bool sameCounts(const std::vector<ChartData>& a, const std::vector<ChartData>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ChartData& x, const ChartData& y) {
        return x.className == y.className && x.classValueCounts == y.classValueCounts;
    });
}
} // namespace

ClassStatisticsView::ClassStatisticsView(QWidget* parent)
    : DetailsCard(Palette::withOpacity(Palette::white, 0.1), Palette::withOpacity(Palette::blue, 0.1), parent)
    , m_chartButton(new QToolButton(this))
    , m_chart(new ClassBarChart)
{
    setAccessibleName(QStringLiteral("Class Statistics"));
    auto* title = new QLabel(QStringLiteral("Class Statistics"), this);
    title->setFont(headlineFont(font()));
    m_chartButton->setIcon(symbolIcon(QStringLiteral("chart.bar.fill"), Palette::pink));
    m_chartButton->setAutoRaise(true);
    m_chartButton->setFocusPolicy(Qt::NoFocus);
    m_chartButton->setAccessibleName(QStringLiteral("Bar Chart"));
    m_chartPopover = new Popover(m_chartButton, Popover::Dismissal::ClickOutside);
    m_chartPopover->setAccessibleName(QStringLiteral("Bar Chart"));
    auto* popoverColumn = new QVBoxLayout(m_chartPopover);
    popoverColumn->addWidget(m_chart);
    connect(m_chartButton, &QToolButton::clicked, this, [this] {
        if (!m_chartPopover->isVisible())
            m_chart->setData(m_rows);
        m_chartPopover->toggle();
    });

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, rowSpacing, 0, 0);
    header->addStretch(1);
    header->addWidget(title);
    header->addWidget(m_chartButton);
    header->addStretch(1);
    column()->addLayout(header);

    auto* heads = new QHBoxLayout;
    heads->setContentsMargins(horizontalPadding, 0, horizontalPadding, rowSpacing);
    const QColor headGround = Palette::withOpacity(Palette::blue, 0.4);
    heads->addWidget(chip(QStringLiteral("Class"), headGround, 12));
    heads->addStretch(1);
    heads->addWidget(chip(QStringLiteral("Number"), headGround, 12));
    column()->addLayout(heads);

    auto* scroll = new QScrollArea(this);
    scroll->setAccessibleName(QStringLiteral("Class table"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* table = new QWidget;
    table->setAutoFillBackground(false);
    m_table = new QVBoxLayout(table);
    m_table->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    m_table->addStretch(1);
    scroll->setWidget(table);
    column()->addWidget(scroll, 1);
}

std::vector<ChartData> ClassStatisticsView::sorted(std::vector<ChartData> rows)
{
    std::vector<std::pair<QList<uint>, size_t>> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys.emplace_back(rows[i].className.normalized(QString::NormalizationForm_C).toUcs4(), i);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<ChartData> result;
    result.reserve(rows.size());
    for (const auto& key : keys)
        result.push_back(std::move(rows[key.second]));
    return result;
}

void ClassStatisticsView::setRows(std::vector<ChartData> rows)
{
    if (sameCounts(rows, m_rows))
        return;
    m_rows = std::move(rows);
    rebuildTable();
    if (m_chartPopover->isVisible())
        m_chart->setData(m_rows);
}

void ClassStatisticsView::rebuildTable()
{
    // Every row but the closing stretch goes.
    while (m_table->count() > 1) {
        QLayoutItem* item = m_table->takeAt(0);
        delete item->widget();
        delete item;
    }
    const QColor cellGround = Palette::withOpacity(Palette::pink, 0.3);
    int at = 0;
    for (const ChartData& row : m_rows) {
        auto* line = new QWidget;
        auto* cells = new QHBoxLayout(line);
        cells->setContentsMargins(0, 0, 0, 0);
        QLabel* name = chip(row.className, cellGround, 0);
        name->setToolTip(row.className);
        cells->addWidget(name);
        cells->addStretch(1);
        cells->addWidget(chip(QString::number(row.classValueCounts), cellGround, 0));
        m_table->insertWidget(at++, line);
        m_table->insertWidget(at++, divider());
    }
}

std::vector<std::pair<QString, QString>> ClassStatisticsView::shownRows() const
{
    std::vector<std::pair<QString, QString>> result;
    for (int i = 0; i < m_table->count(); ++i) {
        QWidget* line = m_table->itemAt(i)->widget();
        const QList<QLabel*> cells = line ? line->findChildren<QLabel*>() : QList<QLabel*>();
        if (cells.size() == 2)
            result.emplace_back(cells[0]->text(), cells[1]->text());
    }
    return result;
}
