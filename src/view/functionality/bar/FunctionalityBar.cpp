#include "view/functionality/bar/FunctionalityBar.h"

#include "view/functionality/bar/FunctionalityBarIcon.h"

#include <QHBoxLayout>

FunctionalityBar::FunctionalityBar(FunctionalityBarNavigator& functionalityBarNavigator, QWidget* parent)
    : QWidget(parent)
    , m_imageDetails(new FunctionalityBarIcon(functionalityBarNavigator, FunctionalityTabMode::ImageDetails,
          QStringLiteral("photo"), QStringLiteral("Image Details"), this))
    , m_boxDetails(new FunctionalityBarIcon(functionalityBarNavigator, FunctionalityTabMode::BoxDetails,
          QStringLiteral("rectangle"), QStringLiteral("Selected Bounding Box Property"), this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_imageDetails);
    row->addStretch(1);
    row->addWidget(m_boxDetails);
}

FunctionalityBarIcon* FunctionalityBar::icon(FunctionalityTabMode tab) const
{
    return tab == FunctionalityTabMode::ImageDetails ? m_imageDetails : m_boxDetails;
}
