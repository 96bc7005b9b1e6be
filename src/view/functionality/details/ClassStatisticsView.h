#pragma once

#include "model/ChartData.h"
#include "view/functionality/details/DetailsCard.h"

#include <QString>

#include <utility>
#include <vector>

class ClassBarChart;
class Popover;
class QToolButton;
class QVBoxLayout;

// "Class Statistics": the number of shown boxes per class over every open image, in a scrolling
// table of "Class" and "Number", the names from greatest to least; the chart symbol opens the same
// counts as a bar chart.
class ClassStatisticsView : public DetailsCard
{
    Q_OBJECT
public:
    explicit ClassStatisticsView(QWidget* parent = nullptr);

    // The rows in the table's order: by name, descending, as code points of the composed text.
    static std::vector<ChartData> sorted(std::vector<ChartData> rows);

    // Shows these counts (already sorted); a table whose counts did not change is left as it is.
    void setRows(std::vector<ChartData> rows);
    // The table's cells as shown, row by row: name and count.
    std::vector<std::pair<QString, QString>> shownRows() const;
    QToolButton* chartButton() const { return m_chartButton; }
    Popover* chartPopover() const { return m_chartPopover; }
    ClassBarChart* chart() const { return m_chart; }

private:
    void rebuildTable();

    QVBoxLayout* m_table;
    QToolButton* m_chartButton;
    Popover* m_chartPopover;
    ClassBarChart* m_chart;
    std::vector<ChartData> m_rows;
};
