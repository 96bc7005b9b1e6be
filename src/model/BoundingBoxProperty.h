#pragma once

#include "model/Geometry.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// One box on one image. Corners are kept twice: displayed (at zoom imageScale) and in image pixels;
// the pixel corners are recomputed from the displayed ones on every write of a displayed corner.
// Boxes are shared by reference. A box is not a QObject: images hold many thousands of them and no
// view observes a single box, so announcements go to plain callbacks that cost nothing when unused.
class BoundingBoxProperty
{
public:
    BoundingBoxProperty(Point startLocation, Point endLocation, QString classLabel, double scaleFactor = 1.0,
        double imageScale = 1.0, bool toShow = true, bool markTemplate = false);

    const QString& id() const { return m_id; }
    const QString& getID() const { return m_id; }

    Point originalStartLoc() const { return m_originalStartLoc; }
    Point originalEndLoc() const { return m_originalEndLoc; }
    Point startLocation() const { return m_startLocation; }
    Point endLocation() const { return m_endLocation; }
    const QString& classLabel() const { return m_classLabel; }
    double scaleFactor() const { return m_scaleFactor; }
    bool toShow() const { return m_toShow; }
    double imageScale() const { return m_imageScale; }
    bool markTemplate() const { return m_markTemplate; }

    void setOriginalStartLoc(Point p);
    void setOriginalEndLoc(Point p);
    void setStartLocation(Point p);
    void setEndLocation(Point p);
    void setClassLabel(const QString& label);
    void setScaleFactor(double f);
    void setToShow(bool show);
    void setImageScale(double scale);
    void setMarkTemplate(bool mark);

    Point scaledToOriginalStartLoc(double scale) const { return m_startLocation / scale; }
    Point scaledToOriginalEndLoc(double scale) const { return m_endLocation / scale; }
    static Point originalToScaledLoc(Point p, double scale) { return p * scale; }

    // Called synchronously before every change of a field.
    void addWillChangeObserver(std::function<void()> observer) { m_observers.push_back(std::move(observer)); }

private:
    void announce();

    QString m_id;
    Point m_originalStartLoc;
    Point m_originalEndLoc;
    Point m_startLocation;
    Point m_endLocation;
    QString m_classLabel;
    double m_scaleFactor;
    bool m_toShow;
    double m_imageScale;
    bool m_markTemplate;
    std::vector<std::function<void()>> m_observers;
};

using BoxPtr = std::shared_ptr<BoundingBoxProperty>;

inline bool operator==(const BoundingBoxProperty& a, const BoundingBoxProperty& b) { return a.getID() == b.getID(); }

// Identity of two possibly empty references: empty equals nothing.
inline bool sameBox(const BoxPtr& a, const BoxPtr& b) { return a && b && *a == *b; }
