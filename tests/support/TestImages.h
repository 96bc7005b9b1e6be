#pragma once

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
    image.save(dir + '/' + name);
    return dir + '/' + name;
}

// A grey PNG file of any size with little data: a reader believes its header until it decodes.
inline QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    const auto append = [&](quint32 v) { png.append(4, '\0'), qToBigEndian(v, png.data() + png.size() - 4); };
    const auto chunk = [&](const QByteArray& typeAndData) {
        quint32 crc = 0xffffffff;
        for (const char byte : typeAndData)
            for (int k = (crc ^= quint8(byte), 0); k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
        append(quint32(typeAndData.size() - 4));
        png += typeAndData;
        append(~crc);
    };
    QByteArray header("IHDR01234567\x08\0\0\0\0", 17); // 8-bit grey
    qToBigEndian(width, header.data() + 4), qToBigEndian(height, header.data() + 8);
    chunk(header);
    chunk("IDAT" + qCompress(QByteArray(1 << 16, 0)).mid(4));
    chunk("IEND");
    return png;
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
