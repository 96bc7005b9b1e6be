#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The symbols whose colour matters ("plus", "chevron.backward", ...), drawn in the colour the
// control needs; a theme icon could not be recoloured. An unknown name gives an empty icon.
// keepColourWhenDisabled: a disabled control still shows the symbol in that colour.
QIcon drawnSymbolIcon(const QString& name, const QColor& color, bool keepColourWhenDisabled = false);
