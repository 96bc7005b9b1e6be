#include "model/ImageProperty.h"

#include "model/Identity.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

ImageProperty::ImageProperty(QUrl path, double previous, double current)
    : imagePath(std::move(path))
    , previousScale(previous)
    , currentScale(current)
    , m_id(newIdentity())
{
    imageDimensions();
    getNSImage();
}

QString ImageProperty::getImageName() const { return QFileInfo(imagePath.toLocalFile()).fileName(); }

void ImageProperty::imageDimensions()
{
    // The header alone: no decode.
    QImageReader reader(imagePath.toLocalFile());
    const QSize size = reader.size();
    if (!size.isValid())
        return;
    originalWidth = size.width();
    originalHeight = size.height();
}

void ImageProperty::getNSImage()
{
    QFile file(imagePath.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return;
    QImage decoded = QImage::fromData(file.readAll());
    if (decoded.isNull())
        return;
    imageNS = std::move(decoded);
}

void ImageProperty::convertToGrayScale()
{
    const int w = static_cast<int>(originalWidth);
    const int h = static_cast<int>(originalHeight);
    if (w <= 0 || h <= 0 || imageNS.isNull())
        return;
    QImage grey = imageNS.convertToFormat(QImage::Format_Grayscale8);
    if (grey.width() != w || grey.height() != h)
        grey = grey.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    imageNS = std::move(grey);
}

std::vector<std::vector<std::uint8_t>> ImageProperty::nsImageToArray() const
{
    const int w = static_cast<int>(originalWidth);
    const int h = static_cast<int>(originalHeight);
    std::vector<std::vector<std::uint8_t>> rows;
    if (w <= 0 || h <= 0 || imageNS.format() != QImage::Format_Grayscale8 || imageNS.width() != w
        || imageNS.height() != h)
        return rows;
    rows.reserve(static_cast<size_t>(h));
    // Scan lines are padded to 4 bytes; each row is read from its own line.
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* line = imageNS.constScanLine(y);
        rows.emplace_back(line, line + w);
    }
    return rows;
}

std::vector<std::vector<std::uint8_t>> ImageProperty::getImageArray()
{
    getNSImage();
    convertToGrayScale();
    return nsImageToArray();
}
