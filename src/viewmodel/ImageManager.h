#pragma once

#include "model/Geometry.h"
#include "model/ImageProperty.h"
#include "model/ObservableObject.h"

#include <cstdint>
#include <vector>

class BoundingBoxManager;
class FileDialogs;

// The opened images, the canvas state of each at the same index, and the index of the shown image.
// Opening and removing images keeps the box manager's lists in step, so one index names an image,
// its canvas state and its boxes.
class ImageManager : public ObservableObject
{
    Q_OBJECT
public:
    // A zoom stays strictly inside these limits; a step that would leave them is refused whole.
    static constexpr double minimumZoom = 0.3;
    static constexpr double maximumZoom = 2.0;
    static constexpr double zoomInFactor = 1.1;
    static constexpr double zoomOutFactor = 0.9;

    explicit ImageManager(BoundingBoxManager& boxes, QObject* parent = nullptr);

    Published<std::vector<ImagePtr>> allImages { this };
    Published<std::vector<double>> allCurrentScaleFactors { this };
    Published<std::vector<double>> allPreviousScaleFactors { this };
    Published<std::vector<Point>> allCenterLocations { this };
    Published<std::vector<Size>> allOffset { this };
    Published<std::vector<Point>> allStartLocations { this };
    Published<double> locationChange { this, 0.0 };
    Published<ImagePtr> toDeleteImage { this };
    Published<std::int64_t> currentImageIndex { this, 0 };

    void setFileDialogs(FileDialogs* dialogs) { m_dialogs = dialogs; }

    void appendImage(const ImagePtr& image);
    void deleteImage(const ImagePtr& image);
    void deleteImageIndex(std::int64_t index);
    // Asks for PNG and JPEG files and appends one record per file; returns how many were added.
    int imageOpener();
    void updateScalingFactor();
    void updateLocation();
    void deleteCurrentImage();
    std::int64_t getIndex(const ImagePtr& image) const;

    // The shown image, or nothing while the index addresses none.
    ImagePtr currentImage() const;
    bool hasCurrentImage() const;
    std::int64_t imageCount() const { return static_cast<std::int64_t>(allImages.get().size()); }
    // The zoom of the shown image; 1 while none is shown.
    double currentZoom() const;
    // The displayed size of the shown image; zero while none is shown.
    Size currentDisplayedSize() const;

    // The gestures of the user, each announced by the signals below.

    // Asks for files and opens each as an image with an empty box list; the shown image stays.
    int openImages();
    // Opens one file (the open dialog's road without the dialog).
    void openImage(const ImagePtr& image);
    // Removes an image and its box list together; nothing when it is not open.
    void removeImage(const ImagePtr& image);
    void removeCurrentImage();
    // The image whose tab's close button was pressed, awaiting the user's answer.
    void askToRemove(const ImagePtr& image);
    // Shows the image at an index; nothing when it names none.
    void showImage(std::int64_t index);
    // An image drag: the shown image is placed at a position while the drag runs, and at its end the
    // whole translation is added to the image's offset.
    void panTo(Point start);
    void endPan(Size translation);
    // The zoom commands' step (factor zoomInFactor or zoomOutFactor): the shown image's zoom, its
    // displayed size and its boxes (replaced by new boxes) change together. False when refused.
    bool zoomStep(double factor);
    // One change of a running pinch, given the gesture's magnification so far; the boxes keep their
    // identity. Refused steps still move the pinch's reference. pinchEnded: the pinch is over.
    bool pinchChanged(double magnification);
    void pinchEnded();

signals:
    // Images were opened or removed: indices may name other images now.
    void imagesChanged();
    // The shown image changed (its index, or the image at that index).
    void currentImageChanged();
    // The zoom or the position of the image at an index changed.
    void imageViewChanged(std::int64_t index);

private:
    // The one place a zoom is written, with the displayed size that follows from it.
    void setZoom(std::size_t index, double zoom);
    void setCurrentIndex(std::int64_t index);

    BoundingBoxManager& m_boxes;
    FileDialogs* m_dialogs = nullptr;
};
