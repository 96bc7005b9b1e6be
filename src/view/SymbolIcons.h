#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The program's symbols by name ("plus", "chevron.backward", ...), drawn in one colour so that a
// control can give its symbol the colour it needs. An unknown name gives an empty icon.
// keepColourWhenDisabled: a disabled control still shows the symbol in that colour.
QIcon symbolIcon(const QString& name, const QColor& color, bool keepColourWhenDisabled = false);
