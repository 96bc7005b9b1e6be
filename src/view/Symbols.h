#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's symbols by name ("gear", "plus.magnifyingglass", ...): the desktop theme's icon
// when it has one, else our own drawing, always as a silhouette in the given colour.
QPixmap symbolPixmap(const QString& symbolName, int pixelSize, const QColor& color, qreal devicePixelRatio = 1.0);
QIcon symbolIcon(const QString& symbolName, const QColor& color);
// Whether the table knows the name.
bool knownSymbol(const QString& symbolName);
