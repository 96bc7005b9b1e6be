#pragma once

#include <QLabel>

// A one-line label that shortens its text with an ellipsis where it is too narrow for it; its text,
// and with it its accessible name, stays whole.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
