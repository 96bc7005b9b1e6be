#include "model/BoundingBoxProperty.h"

#include "model/Identity.h"

BoundingBoxProperty::BoundingBoxProperty(Point startLocation, Point endLocation, QString classLabel, double scaleFactor,
    double imageScale, bool toShow, bool markTemplate)
    : m_id(newIdentity())
    , m_startLocation(startLocation)
    , m_endLocation(endLocation)
    , m_classLabel(std::move(classLabel))
    , m_scaleFactor(scaleFactor)
    , m_toShow(toShow)
    , m_imageScale(imageScale)
    , m_markTemplate(markTemplate)
{
    m_originalStartLoc = scaledToOriginalStartLoc(m_imageScale);
    m_originalEndLoc = scaledToOriginalEndLoc(m_imageScale);
}

void BoundingBoxProperty::announce()
{
    for (const auto& observer : m_observers)
        observer();
}

void BoundingBoxProperty::setOriginalStartLoc(Point p)
{
    announce();
    m_originalStartLoc = p;
}

void BoundingBoxProperty::setOriginalEndLoc(Point p)
{
    announce();
    m_originalEndLoc = p;
}

// Displayed corners and the label announce twice: once for the box itself, once for the field.
void BoundingBoxProperty::setStartLocation(Point p)
{
    announce();
    announce();
    m_startLocation = p;
    setOriginalStartLoc(scaledToOriginalStartLoc(m_imageScale));
}

void BoundingBoxProperty::setEndLocation(Point p)
{
    announce();
    announce();
    m_endLocation = p;
    setOriginalEndLoc(scaledToOriginalEndLoc(m_imageScale));
}

void BoundingBoxProperty::setClassLabel(const QString& label)
{
    announce();
    announce();
    m_classLabel = label;
}

void BoundingBoxProperty::setScaleFactor(double f)
{
    announce();
    m_scaleFactor = f;
}

void BoundingBoxProperty::setToShow(bool show)
{
    announce();
    m_toShow = show;
}

void BoundingBoxProperty::setImageScale(double scale)
{
    announce();
    m_imageScale = scale;
}

void BoundingBoxProperty::setMarkTemplate(bool mark)
{
    announce();
    m_markTemplate = mark;
}
