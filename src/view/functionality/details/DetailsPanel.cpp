#include "view/functionality/details/DetailsPanel.h"

#include <QMetaObject>

DetailsPanel::DetailsPanel(SharedObjects shared, QWidget* parent)
    : QWidget(parent)
    , m_shared(shared)
{
}

void DetailsPanel::requestRefresh(int changes)
{
    const bool queued = m_pending != 0;
    m_pending |= changes;
    if (!queued)
        QMetaObject::invokeMethod(this, &DetailsPanel::refreshNow, Qt::QueuedConnection);
}

void DetailsPanel::refreshNow()
{
    const int changes = m_pending;
    m_pending = 0;
    if (changes)
        refresh(changes);
}
