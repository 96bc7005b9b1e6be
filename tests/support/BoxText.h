#pragma once

#include "model/BoundingBoxProperty.h"

#include <string>
#include <vector>

// Boxes as text, for checks of a whole state at once; numbers to six digits.
inline QString numberText(double v) { return QString::number(v, 'g', 6); }
inline QString pointText(Point p) { return numberText(p.x) + ',' + numberText(p.y); }
inline std::string cornersText(const BoxPtr& box)
{
    return (pointText(box->startLocation()) + ' ' + pointText(box->endLocation())).toStdString();
}

// Label, T for a template, - when hidden, displayed corners, pixel corners, scale factor, image scale.
inline std::string boxText(const BoxPtr& box)
{
    return (box->classLabel() + (box->markTemplate() ? "T" : "") + (box->toShow() ? " " : "- ")).toStdString()
        + cornersText(box)
        + QStringLiteral(" px %1 %2 s%3 i%4")
              .arg(pointText(box->originalStartLoc()), pointText(box->originalEndLoc()), numberText(box->scaleFactor()),
                  numberText(box->imageScale()))
              .toStdString();
}

inline std::string boxesText(const std::vector<BoxPtr>& boxes)
{
    std::string text;
    for (const BoxPtr& box : boxes)
        text += (text.empty() ? "" : " | ") + boxText(box);
    return text;
}
