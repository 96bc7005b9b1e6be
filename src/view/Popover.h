#pragma once

#include <QColor>
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
    // Beside the anchor's trailing edge (its leading edge where the screen ends), or above it.
    enum class Placement { Trailing, Above };

    Popover(QWidget* anchor, Dismissal dismissal, Placement placement = Placement::Trailing);

    // A press on the anchor leaves an open popover open, rather than closing it.
    void setKeptOpenByAnchor(bool kept) { m_keptOpenByAnchor = kept; }
    // The background's two colours, from the top-leading to the bottom-trailing corner.
    void setWash(const QColor& from, const QColor& to);

    // Opens beside the anchor, or closes when open.
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
    Placement m_placement;
    bool m_keptOpenByAnchor = false;
    QColor m_washFrom;
    QColor m_washTo;
};
