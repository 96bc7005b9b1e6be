#pragma once

#include <QColor>
#include <QImage>
#include <QString>

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
} // namespace TestImages
