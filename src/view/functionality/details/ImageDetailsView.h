#pragma once

#include "view/functionality/details/DetailsPanel.h"

#include <array>

class CardTitle;
class ClassStatisticsView;
class DetailsCard;
class InfoRow;
class QLabel;
class QStackedLayout;

// The "Image Details" tab: the current image's name, pixel size and number of shown boxes on a
// collapsible card, and under it the class statistics of every open image; "No Image" while no
// image is open.
class ImageDetailsView : public DetailsPanel
{
    Q_OBJECT
public:
    enum Row { NameRow, DimensionRow, BoxCountRow };

    explicit ImageDetailsView(SharedObjects shared, QWidget* parent = nullptr);

    bool showsImage() const;
    QLabel* placeholder() const { return m_placeholder; }
    DetailsCard* card() const { return m_card; }
    CardTitle* cardTitle() const { return m_cardTitle; }
    InfoRow* row(Row row) const { return m_rows[row]; }
    ClassStatisticsView* statistics() const { return m_statistics; }

protected:
    void refresh(int changes) override;

private:
    QWidget* makeCard();

    QStackedLayout* m_pages;
    QLabel* m_placeholder;
    QWidget* m_details;
    DetailsCard* m_card = nullptr;
    CardTitle* m_cardTitle = nullptr;
    std::array<InfoRow*, 3> m_rows {};
    ClassStatisticsView* m_statistics;
    bool m_showDetails = true;
};
