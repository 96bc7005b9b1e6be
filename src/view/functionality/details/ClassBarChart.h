#pragma once

#include "model/ChartData.h"

#include <QWidget>

#include <vector>

class QBarSeries;
class QChart;
class QChartView;
class QGraphicsSimpleTextItem;

// The bar chart of the class statistics: one bar per class in the given order, its name under it, its
// count above it and a colour of its own, under the title "Bar Chart"; 50 points wide per class, 100
// at least.
class ClassBarChart : public QWidget
{
    Q_OBJECT
public:
    static constexpr int widthPerClass = 50;
    static constexpr int minimumWidth = 100;
    static constexpr int chartHeight = 300;

    explicit ClassBarChart(QWidget* parent = nullptr);

    void setData(const std::vector<ChartData>& rows);
    QBarSeries* series() const { return m_series; }
    QChart* chart() const;

private:
    // Names and counts follow the bars whenever the plot area moves.
    void placeTexts();

    QChartView* m_view;
    QBarSeries* m_series = nullptr;
    std::vector<QGraphicsSimpleTextItem*> m_nameItems;
    std::vector<QGraphicsSimpleTextItem*> m_countItems;
};
