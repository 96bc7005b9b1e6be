#pragma once

#include <QColor>

// The program's named colours, in one place.
namespace Palette
{
inline const QColor green { 0x34, 0xC7, 0x59 };
inline const QColor blue { 0x00, 0x7A, 0xFF };
inline const QColor red { 0xFF, 0x3B, 0x30 };
inline const QColor yellow { 0xFF, 0xCC, 0x00 };
inline const QColor gray { 0x8E, 0x8E, 0x93 };
inline const QColor purple { 0xAF, 0x52, 0xDE };
inline const QColor brown { 0xA2, 0x84, 0x5E };
inline const QColor indigo { 0x58, 0x56, 0xD6 };
inline const QColor pink { 0xFF, 0x2D, 0x55 };
inline const QColor magenta { 0xFF, 0x00, 0xFF };
inline const QColor black { 0, 0, 0 };
inline const QColor white { 0xFF, 0xFF, 0xFF };

// A colour at an opacity from 0 to 1.
inline QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(float(opacity));
    return color;
}
} // namespace Palette
