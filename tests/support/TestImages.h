#pragma once

#include <QColor>
#include <QDataStream>
#include <QIODevice>
#include <QImage>
#include <QPoint>
#include <QString>

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

// A grey PNG file of any size with only a little data: a reader believes what its header claims
// until it decodes.
inline QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QDataStream out(&png, QIODevice::Append); // big-endian, as PNG wants
    const auto chunk = [&](const char* type, const QByteArray& data) {
        const QByteArray body = QByteArray(type) + data;
        quint32 crc = 0xffffffff;
        for (const char byte : body) {
            crc ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
        }
        out << quint32(data.size());
        out.writeRawData(body.constData(), int(body.size()));
        out << ~crc;
    };
    QByteArray header;
    QDataStream(&header, QIODevice::WriteOnly)
        << width << height << quint8(8) << quint8(0) << quint8(0) << quint8(0) << quint8(0);
    chunk("IHDR", header);
    chunk("IDAT", qCompress(QByteArray(1 << 16, 0)).mid(4));
    chunk("IEND", {});
    return png;
}

// A grey picture of random pixels: templates cut from it match only where they were planted.
inline QImage noise(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x)
            row[x] = uchar(random() & 0xff);
    }
    return image;
}

// Copies a grey pattern into a grey picture with its top-left corner at a point.
inline void plant(QImage& image, const QImage& pattern, QPoint at)
{
    for (int row = 0; row < pattern.height(); ++row)
        std::memcpy(image.scanLine(at.y() + row) + at.x(), pattern.constScanLine(row), size_t(pattern.width()));
}
} // namespace TestImages
