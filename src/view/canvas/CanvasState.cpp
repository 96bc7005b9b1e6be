#include "view/canvas/CanvasState.h"

#include "viewmodel/ImageManager.h"

CanvasState::CanvasState(ImageManager& images, QObject* parent)
    : QObject(parent)
    , m_images(images)
{
    connect(&images, &ImageManager::imagesChanged, this, &CanvasState::imagesChanged);
    // Whatever shows an image (navigation, a tab, an undone deletion), the field reads its number.
    connect(&images, &ImageManager::currentImageChanged, this, [this] {
        if (m_images.hasCurrentImage())
            refreshIndexTexts();
        currentImageChanged();
    });
    // A window opened later starts from "0" like the first.
    m_lastIndex = images.currentImageIndex;
    const ImagePtr image = images.currentImage();
    m_lastImageId = image ? image->id() : QString();
}

void CanvasState::setTextFieldText(const QString& text)
{
    if (text == m_textFieldText)
        return;
    m_textFieldText = text;
    emit indexTextsChanged();
}

void CanvasState::setPrevTextFieldText(const QString& text)
{
    if (text == m_prevTextFieldText)
        return;
    m_prevTextFieldText = text;
    emit indexTextsChanged();
}

void CanvasState::refreshIndexTexts()
{
    setTextFieldText(QString::number(m_images.currentImageIndex.get() + 1));
    setPrevTextFieldText(m_textFieldText);
}

void CanvasState::setMatchClicked(bool clicked)
{
    if (clicked == m_isMatchClicked)
        return;
    m_isMatchClicked = clicked;
    emit matchClickedChanged(clicked);
}

void CanvasState::imagesChanged()
{
    // With the last image gone, whichever way it was closed, the field reads 0.
    if (m_images.imageCount() > 0)
        refreshIndexTexts();
    else
        setTextFieldText(QStringLiteral("0"));
    currentImageChanged();
}

// An image that moves into the current index by a removal is a new current image too.
void CanvasState::currentImageChanged()
{
    const std::int64_t index = m_images.currentImageIndex;
    const ImagePtr image = m_images.currentImage();
    const QString id = image ? image->id() : QString();
    if (index != m_lastIndex || id != m_lastImageId)
        setMatchClicked(false);
    m_lastIndex = index;
    m_lastImageId = id;
}
