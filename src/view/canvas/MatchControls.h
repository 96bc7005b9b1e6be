#pragma once

#include "view/SharedObjects.h"

#include <QString>
#include <QWidget>

#include <optional>

class CanvasState;
class QPushButton;

// Minus, "Match" and plus, at the leading end of the canvas's bottom bar. "Match" hands the shown
// template boxes of the current image, with the image, to the matching script at threshold 0.6;
// the matches replace the image's other boxes. Minus raises and plus lowers the threshold by 0.1
// and match again; both wait for a first "Match" on the current image.
class MatchControls : public QWidget
{
    Q_OBJECT
public:
    static constexpr int matchButtonWidth = 100;
    static constexpr int cleanUpDelayMs = 300;

    MatchControls(SharedObjects shared, CanvasState& canvas, QWidget* parent = nullptr);

    // Matching is unavailable: no image, or an image without any box (deleted ones count).
    bool disableButton() const;
    // Matches the current image at the current threshold. A failure is shown to the user and leaves
    // the boxes as they were.
    void startMatching();

private:
    void refresh();
    void showFailure(const QString& message);

    SharedObjects m_shared;
    CanvasState& m_canvas;
    QPushButton* m_minusButton;
    QPushButton* m_matchButton;
    QPushButton* m_plusButton;
    // The colours last drawn, for disabled or not.
    std::optional<bool> m_drawnDisabled;
};
