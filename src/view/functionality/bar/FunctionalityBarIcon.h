#pragma once

#include "view/modifiers/EasedProgress.h"
#include "viewmodel/FunctionalityBarNavigator.h"

#include <QAbstractButton>

// One tab icon of the details panel: a symbol on a rounded highlight that shows while its tab is
// active. Only the symbol itself takes the pointer: under it the symbol grows to 1.4 times its size,
// and a click on it makes its tab the shown one.
class FunctionalityBarIcon : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int hoverDurationMs = 300;
    static constexpr int highlightDurationMs = 300;
    static constexpr double hoverScale = 1.4;

    FunctionalityBarIcon(FunctionalityBarNavigator& functionalityBarNavigator,
        FunctionalityTabMode assignedFunctionalityBar, const QString& barImageName, const QString& help,
        QWidget* parent = nullptr);

    FunctionalityTabMode assignedFunctionalityBar() const { return m_assignedFunctionalityBar; }
    const QString& barImageName() const { return m_barImageName; }
    bool isHovering() const { return m_hover.target(); }
    bool highlighted() const { return m_functionalityBarNavigator.active(m_assignedFunctionalityBar); }
    double currentScale() const { return 1.0 + (hoverScale - 1.0) * m_hover.value(); }
    // The symbol at its current size, and the highlight around it (which never grows).
    QRectF symbolRect() const;
    QRectF highlightRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    FunctionalityBarNavigator& m_functionalityBarNavigator;
    FunctionalityTabMode m_assignedFunctionalityBar;
    QString m_barImageName;
    EasedProgress m_hover;
    EasedProgress m_highlight;
};
