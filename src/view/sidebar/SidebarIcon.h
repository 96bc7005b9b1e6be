#pragma once

#include "viewmodel/SidebarNavigator.h"

#include <QAbstractButton>
#include <QColor>
#include <QVariantAnimation>

#include <functional>

// One entry of the sidebar: a coloured symbol and a caption. Under the pointer it grows to 1.2
// times its size and its symbol turns half a turn about its vertical axis; it is highlighted
// while its navigator marks its entry active. A click first moves the navigator's highlight to
// this entry, then runs the entry's action.
class SidebarIcon : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int hoverDurationMs = 300;
    static constexpr double hoverScale = 1.2;
    // The section's leading padding, inside the entry so that a hovered entry can grow into it.
    static constexpr double leadingInset = 5;

    SidebarIcon(SidebarNavigator& sidebarNavigator, const QString& titleText, const QString& iconName,
        SidebarIconType assignedSidebar, const QColor& colorSidebarIcon, std::function<void()> gestureAction,
        QWidget* parent = nullptr);

    SidebarIconType assignedSidebar() const { return m_assignedSidebar; }
    const QString& iconName() const { return m_iconName; }
    QColor color() const { return m_color; }
    bool isHovering() const { return m_isHovering; }
    bool highlighted() const { return m_sidebarNavigator.active(m_assignedSidebar); }
    // 1 while the pointer is over the entry, 0 otherwise; between the two during the animation.
    double hoverProgress() const { return m_hoverProgress; }
    double currentScale() const { return 1.0 + (hoverScale - 1.0) * m_hoverProgress; }
    double symbolTurnDegrees() const { return 180.0 * m_hoverProgress; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void setHovering(bool hovering);
    // The symbol and caption, and the same with the paddings, unscaled, in widget coordinates.
    QRectF contentRect() const;
    QRectF paddedRect() const;
    QSizeF contentSize() const;

    SidebarNavigator& m_sidebarNavigator;
    QString m_iconName;
    SidebarIconType m_assignedSidebar;
    QColor m_color;
    bool m_isHovering = false;
    double m_hoverProgress = 0;
    QVariantAnimation m_hoverAnimation;
};
