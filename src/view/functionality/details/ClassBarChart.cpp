#include "view/functionality/details/ClassBarChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLegendMarker>
#include <QPen>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{
constexpr double barWidth = 0.9;
// Between the plot's bottom edge and the names, as between the axis and its labels.
constexpr double nameGap = 4;

// Colours a step of the golden angle apart on the colour wheel: every class gets its own, however many.
QColor classColour(int index)
{
    const double hue = std::fmod(0.58 + index * 0.381966, 1.0);
    return QColor::fromHsvF(float(hue), 0.65f, 0.9f);
}

QGraphicsSimpleTextItem* chartText(QChart* chart, const QFont& font, const QBrush& brush)
{
    auto* item = new QGraphicsSimpleTextItem(chart);
    item->setFont(font);
    item->setBrush(brush);
    item->setZValue(1); // over the bars and grid
    return item;
}
} // namespace

ClassBarChart::ClassBarChart(QWidget* parent)
    : QWidget(parent)
    , m_view(new QChartView(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(QStringLiteral("Bar Chart"), this);
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title);
    column->addWidget(m_view);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumHeight(chartHeight);
    m_view->setAccessibleName(QStringLiteral("Bar Chart"));
    setData({});
}

QChart* ClassBarChart::chart() const { return m_view->chart(); }

void ClassBarChart::setData(const std::vector<ChartData>& rows)
{
    const int count = int(rows.size());
    setFixedWidth(std::max(minimumWidth, widthPerClass * count));

    // A chart of its own each time: the old one goes with its series, axes and texts.
    auto* chart = new QChart;
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    // The classes' bars stand side by side over one category, each set a class with a colour and a
    // legend entry of its own; Qt Charts colours sets, not bars.
    m_series = new QBarSeries(chart);
    m_series->setBarWidth(barWidth);
    double highest = 0;
    for (const ChartData& row : rows) {
        auto* set = new QBarSet(row.className);
        *set << double(row.classValueCounts);
        m_series->append(set);
        highest = std::max(highest, double(row.classValueCounts));
    }
    chart->addSeries(m_series);
    const QList<QBarSet*> sets = m_series->barSets();
    for (int i = 0; i < sets.size(); ++i) {
        sets[i]->setColor(classColour(i));
        // Neighbouring bars apart by a line of the (light theme's white) ground.
        sets[i]->setPen(QPen(Qt::white, 2));
    }
    // The legend takes its labels as rich text; a name is plain text.
    for (QLegendMarker* marker : chart->legend()->markers(m_series))
        marker->setLabel(marker->label().toHtmlEscaped());

    // The class axis keeps a line of room under the bars with an invisible label; the names themselves
    // are drawn as plain text. The counts' axis ticks whole numbers, with room above the highest bar
    // for its count.
    auto* classes = new QBarCategoryAxis(chart);
    classes->append(QStringLiteral("Class"));
    auto* numbers = new QValueAxis(chart);
    numbers->setLabelFormat(QStringLiteral("%d"));
    const double top = std::max(1.0, std::ceil(highest * 1.2));
    const double step = std::ceil(top / 5);
    const int ticks = int(std::ceil(top / step));
    numbers->setRange(0, ticks * step);
    numbers->setTickCount(ticks + 1);
    chart->addAxis(classes, Qt::AlignBottom);
    chart->addAxis(numbers, Qt::AlignLeft);
    m_series->attachAxis(classes);
    m_series->attachAxis(numbers);
    classes->setLabelsBrush(Qt::transparent);
    chart->legend()->setAlignment(Qt::AlignBottom);

    m_nameItems.clear();
    m_countItems.clear();
    for (const ChartData& row : rows) {
        m_nameItems.push_back(chartText(chart, classes->labelsFont(), numbers->labelsBrush()));
        m_countItems.push_back(chartText(chart, classes->labelsFont(), numbers->labelsBrush()));
        m_countItems.back()->setText(QString::number(row.classValueCounts));
    }
    connect(chart, &QChart::plotAreaChanged, this, &ClassBarChart::placeTexts);

    QChart* old = m_view->chart();
    m_view->setChart(chart);
    delete old;
    placeTexts();
}

void ClassBarChart::placeTexts()
{
    QChart* shown = chart();
    const QList<QBarSet*> sets = m_series->barSets();
    const int count = int(m_nameItems.size());
    for (int i = 0; i < count; ++i) {
        // Qt Charts divides the bar width of the one category evenly among the sets, in their order.
        const double from = -barWidth / 2 + barWidth * i / count, to = -barWidth / 2 + barWidth * (i + 1) / count;
        const double left = shown->mapToPosition(QPointF(from, 0), m_series).x();
        const double right = shown->mapToPosition(QPointF(to, 0), m_series).x();
        const QPointF foot = shown->mapToPosition(QPointF((from + to) / 2, 0), m_series);
        const QPointF head = shown->mapToPosition(QPointF((from + to) / 2, sets[i]->at(0)), m_series);

        QGraphicsSimpleTextItem* name = m_nameItems[i];
        name->setText(QFontMetricsF(name->font()).elidedText(sets[i]->label(), Qt::ElideRight, right - left));
        name->setPos(foot.x() - name->boundingRect().width() / 2, foot.y() + nameGap);
        QGraphicsSimpleTextItem* number = m_countItems[i];
        number->setPos(head.x() - number->boundingRect().width() / 2, head.y() - number->boundingRect().height());
    }
}
