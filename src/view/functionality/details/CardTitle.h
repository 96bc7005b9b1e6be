#pragma once

#include "view/modifiers/EasedProgress.h"

#include <QAbstractButton>

// The title row of a card: its caption and a green symbol after it, which turns a quarter turn back
// while the card it belongs to is collapsed. Which part takes a click is the card's choice.
class CardTitle : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Tap { Row, Symbol, None };
    static constexpr int turnDurationMs = 500;

    CardTitle(const QString& caption, const QString& symbol, Tap tap, QWidget* parent = nullptr);

    // Turned: -90 degrees, eased over half a second.
    void setTurned(bool turned);
    double turnDegrees() const { return -90.0 * m_turn.value(); }
    QRectF captionRect() const;
    QRectF symbolRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QString m_symbol;
    Tap m_tap;
    EasedProgress m_turn;
};
