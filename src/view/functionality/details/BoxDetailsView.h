#pragma once

#include "model/Geometry.h"
#include "view/functionality/details/DetailsPanel.h"
#include "viewmodel/BoundingBoxManager.h"

#include <array>

class CardTitle;
class DetailsCard;
class InfoRow;
class QAbstractButton;
class QLabel;
class QStackedLayout;

// The "Box Details" tab: the selected box's label, corners in image pixels and template mark on a
// collapsible card, and under it the pad that nudges the box by one displayed point. "No Box
// Selected" while nothing is selected or the current image shows no box. Each row's "Edit" opens
// the box editor for the selected box in a window of its own.
class BoxDetailsView : public DetailsPanel
{
    Q_OBJECT
public:
    enum Row { ClassLabelRow, StartLocationRow, EndLocationRow, TemplateRow };

    explicit BoxDetailsView(SharedObjects shared, QWidget* parent = nullptr);

    // A corner as "(x,y)", each coordinate rounded to one decimal and written in its shortest form
    // with at least one decimal: "(12.0,7.3)", "-0.0".
    static QString locationText(Point location);

    bool showsBox() const;
    QLabel* placeholder() const { return m_placeholder; }
    DetailsCard* card() const { return m_card; }
    CardTitle* cardTitle() const { return m_cardTitle; }
    CardTitle* padTitle() const { return m_padTitle; }
    InfoRow* row(Row row) const { return m_rows[row]; }
    QAbstractButton* arrow(NudgeDirection direction) const { return m_arrows[size_t(direction)]; }

protected:
    void refresh(int changes) override;

private:
    QWidget* makeCard();
    QWidget* makePad();
    void toggleDetails();
    void nudge(NudgeDirection direction);
    void openEditor();

    QStackedLayout* m_pages;
    QLabel* m_placeholder;
    QWidget* m_details;
    DetailsCard* m_card = nullptr;
    CardTitle* m_cardTitle = nullptr;
    CardTitle* m_padTitle = nullptr;
    std::array<InfoRow*, 4> m_rows {};
    std::array<QAbstractButton*, 4> m_arrows {};
    bool m_showDetails = true;
};
