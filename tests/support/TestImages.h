#pragma once

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <cstring>
#include <random>

namespace TestImages
{
// Writes a picture of the given size to dir/name (format from the name's ending); returns the path.
inline QString write(const QString& dir, const QString& name, int width, int height, QColor fill = Qt::gray)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    const QString path = dir + QLatin1Char('/') + name;
    image.save(path);
    return path;
}

// A JPEG file with the data of a small picture and a header that claims another size: a reader
// believes the header until it decodes.
inline QByteArray jpegClaiming(quint16 width, quint16 height)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::gray);
    image.save(&buffer, "JPG");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0") + 5; // past the marker, its length and the precision
    qToBigEndian(height, jpeg.data() + frame);
    qToBigEndian(width, jpeg.data() + frame + 2);
    return jpeg;
}

// A grey picture of random pixels: templates cut from it match only where they were planted.
inline QImage noise(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (uchar *pixel = image.scanLine(y), *end = pixel + width; pixel < end; ++pixel)
            *pixel = uchar(random() & 0xff);
    return image;
}

// Copies a grey pattern into a grey picture with its top-left corner at a point.
inline void plant(QImage& image, const QImage& pattern, QPoint at)
{
    for (int row = 0; row < pattern.height(); ++row)
        std::memcpy(image.scanLine(at.y() + row) + at.x(), pattern.constScanLine(row), size_t(pattern.width()));
}
} // namespace TestImages
