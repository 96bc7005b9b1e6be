#include "view/canvas/BoxView.h"

BoxView::BoxView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent)
    : QWidget(parent), m_shared(shared), m_navigator(navigator)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void BoxView::setImageOrigin(QPointF origin)
{
    m_origin = origin;
    update();
}
