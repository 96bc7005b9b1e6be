#include "viewmodel/ImageManager.h"

#include "viewmodel/BoundingBoxManager.h"
#include "viewmodel/FileDialogs.h"

#include <algorithm>

ImageManager::ImageManager(BoundingBoxManager& boxes, QObject* parent)
    : ObservableObject(parent)
    , m_boxes(boxes)
{
}

void ImageManager::appendImage(const ImagePtr& image)
{
    // The displayed size is the pixel size times the zoom, from the start.
    image->scaledWidth = image->originalWidth;
    image->scaledHeight = image->originalHeight;
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
    emit imagesChanged();
    emit currentImageChanged();
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

double ImageManager::currentZoom() const
{
    return hasCurrentImage() ? allCurrentScaleFactors.get()[static_cast<size_t>(currentImageIndex.get())] : 1.0;
}

Size ImageManager::currentDisplayedSize() const
{
    const ImagePtr image = currentImage();
    return image ? Size { image->scaledWidth, image->scaledHeight } : Size {};
}

int ImageManager::openImages()
{
    const std::int64_t before = imageCount();
    imageOpener();
    const std::int64_t added = imageCount() - before;
    if (added <= 0)
        return 0;
    m_boxes.addImageLists(added);
    emit imagesChanged();
    if (before == 0)
        emit currentImageChanged();
    return static_cast<int>(added);
}

void ImageManager::openImage(const ImagePtr& image)
{
    if (!image)
        return;
    appendImage(image);
    m_boxes.addImageLists(1);
    emit imagesChanged();
    if (imageCount() == 1)
        emit currentImageChanged();
}

// The box list goes first, while the image still has its index.
void ImageManager::removeImage(const ImagePtr& image)
{
    const std::int64_t index = getIndex(image);
    if (index < 0)
        return;
    m_boxes.deleteBoxForImage(index);
    deleteImageIndex(index);
}

void ImageManager::removeCurrentImage() { removeImage(currentImage()); }

void ImageManager::askToRemove(const ImagePtr& image) { toDeleteImage.set(image); }

void ImageManager::showImage(std::int64_t index)
{
    if (index < 0 || index >= imageCount())
        return;
    setCurrentIndex(index);
}

void ImageManager::setCurrentIndex(std::int64_t index)
{
    currentImageIndex.set(index);
    emit currentImageChanged();
}

void ImageManager::panTo(Point start)
{
    if (!hasCurrentImage())
        return;
    const std::int64_t cur = currentImageIndex;
    allStartLocations.modify([&](auto& starts) { starts[size_t(cur)] = start; });
    emit imageViewChanged(cur);
}

void ImageManager::endPan(Size translation)
{
    if (!hasCurrentImage())
        return;
    const std::int64_t cur = currentImageIndex;
    updateLocation();
    allOffset.modify([&](auto& offsets) { offsets[size_t(cur)] = offsets[size_t(cur)] + translation; });
    emit imageViewChanged(cur);
}

void ImageManager::setZoom(std::size_t index, double zoom)
{
    allCurrentScaleFactors.modify([&](auto& zooms) { zooms[index] = zoom; });
    ImageProperty& image = *allImages.get()[index];
    image.scaledWidth = image.originalWidth * zoom;
    image.scaledHeight = image.originalHeight * zoom;
}

bool ImageManager::zoomStep(double factor)
{
    if (!hasCurrentImage())
        return false;
    const std::int64_t cur = currentImageIndex;
    const double zoom = allCurrentScaleFactors.get()[size_t(cur)] * factor;
    if (!(zoom > minimumZoom && zoom < maximumZoom))
        return false;
    setZoom(size_t(cur), zoom);
    updateScalingFactor();
    m_boxes.updateScalingFactor(factor, cur, true, zoom);
    emit imageViewChanged(cur);
    return true;
}

bool ImageManager::pinchChanged(double magnification)
{
    if (!hasCurrentImage())
        return false;
    const std::int64_t cur = currentImageIndex;
    const auto i = size_t(cur);
    const double delta = magnification / allPreviousScaleFactors.get()[i];
    // Recorded even when the step is refused: the next change is measured from here.
    allPreviousScaleFactors.modify([&](auto& v) { v[i] = magnification; });
    const double zoom = allCurrentScaleFactors.get()[i] * delta;
    if (!(minimumZoom < zoom && zoom < maximumZoom))
        return false;
    setZoom(i, zoom);
    m_boxes.updateScalingFactor(delta, cur, false, zoom);
    emit imageViewChanged(cur);
    return true;
}

void ImageManager::pinchEnded()
{
    if (!hasCurrentImage())
        return;
    const std::int64_t cur = currentImageIndex;
    allPreviousScaleFactors.modify([&](auto& v) { v[size_t(cur)] = 1.0; });
    updateScalingFactor();
    emit imageViewChanged(cur);
}
