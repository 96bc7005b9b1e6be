#include "viewmodel/ImageManager.h"

#include "viewmodel/FileDialogs.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

ImageManager::ImageManager(QObject* parent)
    : ObservableObject(parent)
    , m_screen(0, 0, 500, 500)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            m_screen = screen->geometry();
}

void ImageManager::appendImage(const ImagePtr& image)
{
    allImages.modify([&](auto& v) { v.push_back(image); });
    allCurrentScaleFactors.modify([](auto& v) { v.push_back(1.0); });
    allPreviousScaleFactors.modify([](auto& v) { v.push_back(1.0); });
    allStartLocations.modify([](auto& v) { v.push_back(Point { 0, 0 }); });
    allCenterLocations.modify([](auto& v) { v.push_back(Point { 0, 0 }); });
    allOffset.modify([](auto& v) { v.push_back(Size { 0, 0 }); });
}

void ImageManager::deleteImage(const ImagePtr& image)
{
    const std::int64_t index = getIndex(image);
    if (index < 0)
        return;
    deleteImageIndex(index);
}

void ImageManager::deleteImageIndex(std::int64_t index)
{
    if (index < 0 || index >= imageCount())
        return;
    const auto eraseAt = [index](auto& v) { v.erase(v.begin() + index); };
    allImages.modify(eraseAt);
    allCurrentScaleFactors.modify(eraseAt);
    allPreviousScaleFactors.modify(eraseAt);
    allStartLocations.modify(eraseAt);
    allCenterLocations.modify(eraseAt);
    allOffset.modify(eraseAt);
    currentImageIndex.set(std::max<std::int64_t>(currentImageIndex - 1, 0));
}

void ImageManager::deleteCurrentImage() { deleteImageIndex(currentImageIndex); }

int ImageManager::imageOpener()
{
    if (!m_dialogs)
        return 0;
    const QStringList paths = m_dialogs->openImages();
    for (const QString& path : paths)
        appendImage(std::make_shared<ImageProperty>(QUrl::fromLocalFile(path)));
    return static_cast<int>(paths.size());
}

bool ImageManager::hasCurrentImage() const { return currentImageIndex >= 0 && currentImageIndex < imageCount(); }

ImagePtr ImageManager::currentImage() const
{
    return hasCurrentImage() ? allImages.get()[static_cast<size_t>(currentImageIndex.get())] : nullptr;
}

void ImageManager::updateScalingFactor()
{
    if (!hasCurrentImage())
        return;
    const auto i = static_cast<size_t>(currentImageIndex.get());
    allImages.get()[i]->currentScale = allCurrentScaleFactors.get()[i];
    allImages.get()[i]->previousScale = allPreviousScaleFactors.get()[i];
}

void ImageManager::updateLocation()
{
    if (!hasCurrentImage())
        return;
    const auto i = static_cast<size_t>(currentImageIndex.get());
    allImages.get()[i]->locationOnScreen = allCenterLocations.get()[i];
}

std::int64_t ImageManager::getIndex(const ImagePtr& image) const
{
    if (!image)
        return -1;
    const auto& images = allImages.get();
    for (size_t i = 0; i < images.size(); ++i)
        if (images[i]->id() == image->id())
            return static_cast<std::int64_t>(i);
    return -1;
}
