#pragma once

#include "view/SharedObjects.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class CanvasState;
class QLabel;
class QLineEdit;
class QPushButton;

// "Previous", the go-to-index field ("Image", the 1-based number, "/ " and the count, "Go") and
// "Next", at the trailing end of the canvas's bottom bar. The arrow keys step between images and
// Return goes to the typed number anywhere in the window. The field shows and edits the canvas's
// index text.
class ImageNavigation : public QWidget
{
    Q_OBJECT
public:
    ImageNavigation(SharedObjects shared, CanvasState& state, QWidget* parent = nullptr);

    void previous();
    void next();
    // Jumps to the typed number, or tells the user it is not one and shows the last accepted one.
    void go();

    // The whole text as a decimal integer: an optional sign and digits, within 64 bits.
    static std::optional<std::int64_t> readIndex(const QString& text);

private:
    void refresh();
    void showIndexText();
    bool previousEnabled() const;
    bool nextEnabled() const;

    SharedObjects m_shared;
    CanvasState& m_state;
    QPushButton* m_prevButton;
    QLineEdit* m_field;
    QLabel* m_countLabel;
    QPushButton* m_goButton;
    QPushButton* m_nextButton;
};
