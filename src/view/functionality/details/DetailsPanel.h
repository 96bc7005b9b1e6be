#pragma once

#include "view/SharedObjects.h"

#include <QWidget>

// A panel of the details column: it reads the shared objects and refreshes once per event-loop pass
// however many changes were announced in it.
class DetailsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit DetailsPanel(SharedObjects shared, QWidget* parent = nullptr);

    // Brings the panel up to date now (the queued refresh then finds nothing to do).
    void refreshNow();

protected:
    // What changed since the last refresh.
    enum Change { ImageChange = 1, BoxesChange = 2, SelectionChange = 4, AllChanges = 7 };
    void requestRefresh(int changes);
    virtual void refresh(int changes) = 0;

    SharedObjects m_shared;

private:
    int m_pending = 0;
};
