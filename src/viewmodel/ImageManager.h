#pragma once

#include "model/Geometry.h"
#include "model/ImageProperty.h"
#include "model/ObservableObject.h"

#include <QRect>

#include <cstdint>
#include <vector>

class FileDialogs;

// The opened images, the canvas state of each at the same index, and the index of the shown image.
class ImageManager : public ObservableObject
{
    Q_OBJECT
public:
    explicit ImageManager(QObject* parent = nullptr);

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

private:
    FileDialogs* m_dialogs = nullptr;
    QRect m_screen;
};
