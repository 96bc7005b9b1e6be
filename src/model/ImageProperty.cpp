#include "model/ImageProperty.h"

#include "model/Identity.h"
#include "model/RegularFile.h"

#include <QFileInfo>
#include <QImageReader>

#include <iostream>
#include <memory>

namespace
{
// A reader of the picture in a regular file (a named pipe would block the window), which takes the
// format from the content: a PNG named .jpg is still a PNG. Nothing, with the reason, for another file.
std::unique_ptr<QImageReader> openReader(const QString& path, QString* reason)
{
    if (QString problem = regularFileProblem(path); !problem.isEmpty()) {
        *reason = problem;
        return nullptr;
    }
    auto reader = std::make_unique<QImageReader>(path);
    reader->setDecideFormatFromContent(true);
    // Qt refuses pictures over 128 MB by default; ours are bounded by their pixel count instead,
    // at up to 8 bytes a pixel (16 bits a channel).
    constexpr int megabytes = int(ImageProperty::maxPixels * 8 / (1024 * 1024)) + 1;
    if (QImageReader::allocationLimit() < megabytes)
        QImageReader::setAllocationLimit(megabytes);
    return reader;
}
} // namespace

ImageProperty::ImageProperty(QUrl path, double previous, double current)
    : imagePath(std::move(path))
    , previousScale(previous)
    , currentScale(current)
    , m_id(newIdentity())
{
    imageDimensions();
    getNSImage();
    if (!readError.isEmpty())
        std::cout << "Cannot open " << imagePath.toLocalFile().toStdString() << ": " << readError.toStdString()
                  << std::endl;
}

QString ImageProperty::getImageName() const { return QFileInfo(imagePath.toLocalFile()).fileName(); }

// The pixel size its header gives (no decode); invalid, with the reason, when it gives none.
QSize ImageProperty::fileDimensions(QString* reason) const
{
    const auto reader = openReader(imagePath.toLocalFile(), reason);
    const QSize size = reader ? reader->size() : QSize();
    if (reader && !size.isValid())
        *reason = reader->errorString();
    return size;
}

QString ImageProperty::changedOnDisk() const
{
    QString reason;
    const QSize size = fileDimensions(&reason);
    if (!size.isValid())
        return QStringLiteral("The image file %1 cannot be read any more: %2.").arg(imagePath.toLocalFile(), reason);
    if (size.width() == originalWidth && size.height() == originalHeight)
        return {};
    return QStringLiteral("The image file %1 has changed since it was opened: it now has %2 x %3 pixels, not %4 x %5.")
        .arg(imagePath.toLocalFile())
        .arg(size.width())
        .arg(size.height())
        .arg(originalWidth)
        .arg(originalHeight);
}

void ImageProperty::imageDimensions()
{
    const QSize size = fileDimensions(&readError);
    if (!size.isValid())
        return;
    readError.clear();
    originalWidth = size.width();
    originalHeight = size.height();
    if (originalWidth * originalHeight > maxPixels)
        readError = QStringLiteral("its %1 x %2 pixels are more than the %3 megapixels Kestrune opens")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(maxPixels / 1e6);
}

void ImageProperty::getNSImage()
{
    if (originalWidth * originalHeight > maxPixels)
        return;
    // Decoded from the file itself: no copy of its bytes in memory beside the picture.
    const auto reader = openReader(imagePath.toLocalFile(), &readError);
    if (!reader)
        return;
    QImage decoded = reader->read();
    if (decoded.isNull()) {
        readError = reader->errorString();
        return;
    }
    readError.clear();
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
