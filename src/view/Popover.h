#pragma once

#include <QFrame>
#include <QPointer>

// A panel shown beside the control it belongs to, on a faint magenta-to-blue wash. A transient
// one closes on a click anywhere outside it (that click does nothing else); a persistent one
// stays until it is closed on purpose.
class Popover : public QFrame
{
    Q_OBJECT
public:
    enum class Dismissal { ClickOutside, OnRequest };

    Popover(QWidget* anchor, Dismissal dismissal);

    // Opens beside the anchor's trailing edge, or closes when open.
    void toggle();
    void showBesideAnchor();

signals:
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWidget> m_anchor;
};
