#include "view/functionality/details/ClassBarChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace
{
// Colours a step of the golden angle apart on the colour wheel: every class gets its own, however many.
QColor classColour(int index)
{
    const double hue = std::fmod(0.58 + index * 0.381966, 1.0);
    return QColor::fromHsvF(float(hue), 0.65f, 0.9f);
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

void ClassBarChart::setData(const std::vector<ChartData>& rows)
{
    const int count = int(rows.size());
    setFixedWidth(std::max(minimumWidth, widthPerClass * count));

    // A chart of its own each time: the old one goes with its series and axes.
    auto* chart = new QChart;
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    m_series = new QBarSeries(chart);
    // The bars of the classes stand side by side over one category, each set a class.
    m_series->setBarWidth(0.9);
    m_series->setLabelsVisible(true);
    m_series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    m_series->setLabelsPrecision(15);
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
        sets[i]->setLabelColor(palette().color(QPalette::WindowText));
    }

    // The classes are told apart by colour and legend; the counts' axis ticks whole numbers, with room
    // above the highest bar for its count.
    auto* classes = new QBarCategoryAxis(chart);
    classes->append(QStringLiteral("Class"));
    classes->setLabelsVisible(false);
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
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChart* old = m_view->chart();
    m_view->setChart(chart);
    delete old;
}
