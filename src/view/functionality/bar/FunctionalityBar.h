#pragma once

#include "viewmodel/FunctionalityBarNavigator.h"

#include <QWidget>

class FunctionalityBarIcon;

// The details panel's two tab icons: image details at the leading edge, box details at the trailing one.
class FunctionalityBar : public QWidget
{
    Q_OBJECT
public:
    explicit FunctionalityBar(FunctionalityBarNavigator& functionalityBarNavigator, QWidget* parent = nullptr);

    FunctionalityBarIcon* icon(FunctionalityTabMode tab) const;

private:
    FunctionalityBarIcon* m_imageDetails;
    FunctionalityBarIcon* m_boxDetails;
};
