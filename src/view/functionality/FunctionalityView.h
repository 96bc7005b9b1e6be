#pragma once

#include "view/SharedObjects.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QWidget>

class DetailsPanel;
class FunctionalityBar;
class QScrollArea;

// The details column of a window: the tab bar over the panel of the navigator's tab. Only the
// shown panel exists, so a panel shown again starts afresh (expanded, no popover open).
class FunctionalityView : public QWidget
{
    Q_OBJECT
public:
    // The narrowest the column may be for its cards to fit whole.
    static constexpr int minimumColumnWidth = 230;

    FunctionalityView(
        SharedObjects shared, FunctionalityBarNavigator& functionalityBarNavigator, QWidget* parent = nullptr);

    FunctionalityBar* bar() const { return m_bar; }
    // The shown panel: an ImageDetailsView or a BoxDetailsView.
    DetailsPanel* panel() const { return m_panel; }
    QScrollArea* scrollArea() const { return m_scroll; }

    QSize minimumSizeHint() const override;

private:
    void showTab();

    SharedObjects m_shared;
    FunctionalityBarNavigator& m_functionalityBarNavigator;
    FunctionalityBar* m_bar;
    QScrollArea* m_scroll;
    DetailsPanel* m_panel = nullptr;
    FunctionalityTabMode m_shownTab = FunctionalityTabMode::ImageDetails;
};
