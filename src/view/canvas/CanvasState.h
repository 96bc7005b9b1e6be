#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class ImageManager;

// What the canvas's sibling controls of one window share about it: the go-to-index field's text
// (the current image's 1-based number; "0" at start) with the last text it accepted, and whether
// "Match" has run since the current image became current.
class CanvasState : public QObject
{
    Q_OBJECT
public:
    explicit CanvasState(ImageManager& images, QObject* parent = nullptr);

    const QString& textFieldText() const { return m_textFieldText; }
    const QString& prevTextFieldText() const { return m_prevTextFieldText; }
    void setTextFieldText(const QString& text);
    void setPrevTextFieldText(const QString& text);

    bool isMatchClicked() const { return m_isMatchClicked; }
    void setMatchClicked(bool clicked);

signals:
    void indexTextsChanged();
    void matchClickedChanged(bool clicked);

private:
    // Both texts become the current image's 1-based number.
    void refreshIndexTexts();
    void imagesChanged();
    void currentImageChanged();

    ImageManager& m_images;
    QString m_textFieldText = QStringLiteral("0");
    QString m_prevTextFieldText = QStringLiteral("0");
    bool m_isMatchClicked = false;
    // The image last seen current, to tell a new current image from a removal elsewhere.
    std::int64_t m_lastIndex = 0;
    QString m_lastImageId;
};
