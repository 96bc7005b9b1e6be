#pragma once

#include "view/SharedObjects.h"

#include <QPointF>
#include <QString>
#include <QWidget>

#include <cstdint>

class BoxView;
class DisplayImageView;
class FunctionalityBarNavigator;

// The middle column of the main window: a slot for the tab strip, the image area with its box
// layer, and the bottom bar with a slot for the matching controls on the left and one for the
// image navigation on the right. It keeps the displayed size of the current image equal to its
// pixel size times its zoom, and the go-to-index texts on the current image's number.
class CanvasView : public QWidget
{
    Q_OBJECT
public:
    CanvasView(SharedObjects shared, FunctionalityBarNavigator& navigator, QWidget* parent = nullptr);

    // Asks for PNG and JPEG files and appends each as an image with an empty box list; the current
    // image stays current. Returns how many were added (none when the user cancels).
    static int addImages(SharedObjects shared);
    // Removes the current image and its boxes; nothing while no image is open.
    void deleteCurrentImage();

    // The bottom bar's place of the matching controls.
    QWidget* matchControlsSlot() const { return m_matchControlsSlot; }

    // The go-to-index field's text (the current image's 1-based number; "0" at start) and the last
    // text it accepted.
    const QString& textFieldText() const { return m_textFieldText; }
    const QString& prevTextFieldText() const { return m_prevTextFieldText; }
    void setTextFieldText(const QString& text);
    void setPrevTextFieldText(const QString& text);
    // Both texts become the current image's 1-based number.
    void refreshIndexTexts();

    // "Match" has run since the current image became current; cleared whenever it changes.
    bool isMatchClicked() const { return m_isMatchClicked; }
    void setMatchClicked(bool clicked);

    DisplayImageView* displayImageView() const { return m_display; }
    BoxView* boxView() const;

signals:
    void indexTextsChanged();
    void matchClickedChanged(bool clicked);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();

    SharedObjects m_shared;
    DisplayImageView* m_display;
    QWidget* m_tabStripSlot;
    QWidget* m_matchControlsSlot;
    QWidget* m_navigationSlot;

    QString m_textFieldText = QStringLiteral("0");
    QString m_prevTextFieldText = QStringLiteral("0");
    bool m_isMatchClicked = false;
    QPointF m_pressLocation;

    // What the last refresh saw, to tell which of them changed.
    std::int64_t m_lastCount = 0;
    std::int64_t m_lastIndex = 0;
    QString m_lastImageId;
    double m_lastZoom = 0;
};
