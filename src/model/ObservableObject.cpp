#include "model/ObservableObject.h"

#include <QMetaObject>

void ObservableObject::willChange()
{
    emit objectWillChange();
    scheduleChanged();
}

void ObservableObject::scheduleChanged()
{
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changePending = false;
            emit changed();
        },
        Qt::QueuedConnection);
}
