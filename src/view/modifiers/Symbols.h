#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's symbols by the names it uses ("xmark.bin", "gear", "chevron.forward", ...), all in
// one table: the desktop theme's icon where it has a fitting one, else our own drawing. An unknown
// name gives an empty icon or a transparent picture.

// The symbol in its own colours, as menus show it: the theme's icon, or the drawing in the
// application's text colour.
QIcon symbolIcon(const QString& name);

// The symbol as a silhouette in one colour, the theme's icon included.
QPixmap symbolPixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio = 1.0);

// The silhouette as an icon for a control. keepColourWhenDisabled: a disabled control still shows
// the symbol in that colour, rather than the style's greyed version.
QIcon symbolIcon(const QString& name, const QColor& color, bool keepColourWhenDisabled = false);
