#pragma once

#include <QIcon>
#include <QString>

// The icon for one of the program's symbol names ("xmark.bin", ...): the desktop theme's icon when
// it has one, else a small drawn stand-in, so a menu entry never loses its picture.
QIcon symbolIcon(const QString& symbolName);
