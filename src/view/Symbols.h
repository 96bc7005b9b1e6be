#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// The sidebar's symbols by name ("gear", "plus.magnifyingglass", ...): the desktop theme's icon
// when it has one, else our own drawing, always as a silhouette in the given colour. An unknown
// name gives a transparent picture.
QPixmap symbolPixmap(const QString& symbolName, int pixelSize, const QColor& color, qreal devicePixelRatio = 1.0);
