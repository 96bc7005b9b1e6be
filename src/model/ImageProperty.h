#pragma once

#include "model/Geometry.h"

#include <QImage>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>
#include <vector>

// One opened image file. Equal (and hashed) by id alone. Its fields notify nobody: views refresh
// through the image manager.
class ImageProperty
{
public:
    // Larger pictures are refused from their header, before any decoding.
    static constexpr double maxPixels = 250e6;

    explicit ImageProperty(QUrl imagePath, double previousScale = 1.0, double currentScale = 1.0);

    const QString& id() const { return m_id; }

    QUrl imagePath;
    double scaledWidth = 0;
    double scaledHeight = 0;
    double originalWidth = 0;
    double originalHeight = 0;
    Point locationOnScreen;
    double previousScale;
    double currentScale;
    QImage imageNS;
    // Why the file gave no picture (printed when the record was made); empty when it gave one.
    QString readError;

    // The file name with its extension, percent escapes decoded.
    QString getImageName() const;
    // Why the file no longer holds a picture of the size it had when it was opened (replaced, gone),
    // or empty when it still does.
    QString changedOnDisk() const;
    // Reloads the picture, turns it grey (the grey picture stays in imageNS) and returns exactly
    // originalHeight rows of originalWidth bytes; empty when the file gives no picture.
    std::vector<std::vector<std::uint8_t>> getImageArray();

private:
    QSize fileDimensions(QString* reason) const;
    void imageDimensions();
    void getNSImage();
    void convertToGrayScale();
    std::vector<std::vector<std::uint8_t>> nsImageToArray() const;

    QString m_id;
};

using ImagePtr = std::shared_ptr<ImageProperty>;

inline bool operator==(const ImageProperty& a, const ImageProperty& b) { return a.id() == b.id(); }
