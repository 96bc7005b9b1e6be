#pragma once

#include <QFrame>
#include <QPointer>

// A panel shown beside the control it belongs to, on a faint magenta-to-blue wash. A transient
// one closes on a press anywhere outside it or on Escape; a press on its own control only closes
// it. A persistent one stays until it is closed on purpose. Both are windows of their own that
// assistive tools can reach, which Qt's popup windows are not.
class Popover : public QFrame
{
    Q_OBJECT
public:
    enum class Dismissal { ClickOutside, OnRequest };

    Popover(QWidget* anchor, Dismissal dismissal);

    // Opens beside the anchor's trailing edge, or closes when open.
    void toggle();
    void showBesideAnchor();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_anchor;
    Dismissal m_dismissal;
};
