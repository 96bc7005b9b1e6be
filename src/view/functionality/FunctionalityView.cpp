#include "view/functionality/FunctionalityView.h"

#include "view/functionality/bar/FunctionalityBar.h"
#include "view/functionality/details/BoxDetailsView.h"
#include "view/functionality/details/ImageDetailsView.h"

#include <QScrollArea>
#include <QVBoxLayout>

FunctionalityView::FunctionalityView(
    SharedObjects shared, FunctionalityBarNavigator& functionalityBarNavigator, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
    , m_functionalityBarNavigator(functionalityBarNavigator)
    , m_bar(new FunctionalityBar(functionalityBarNavigator, this))
    , m_scroll(new QScrollArea(this))
{
    setAccessibleName(QStringLiteral("Details"));
    // Cards fit the column's width; a short window scrolls them.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_bar);
    column->addWidget(m_scroll, 1);
    connect(&functionalityBarNavigator, &ObservableObject::changed, this, &FunctionalityView::showTab);
    showTab();
}

void FunctionalityView::showTab()
{
    const FunctionalityTabMode tab = m_functionalityBarNavigator.currentFunctionalityBar;
    if (m_panel && tab == m_shownTab)
        return;
    m_shownTab = tab;
    // The old panel goes with its own state.
    m_panel = tab == FunctionalityTabMode::BoxDetails ? static_cast<DetailsPanel*>(new BoxDetailsView(m_shared))
                                                      : new ImageDetailsView(m_shared);
    delete m_scroll->takeWidget();
    m_scroll->setWidget(m_panel);
}

QSize FunctionalityView::minimumSizeHint() const { return { minimumColumnWidth, QWidget::minimumSizeHint().height() }; }
