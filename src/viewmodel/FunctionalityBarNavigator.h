#pragma once

#include "model/ObservableObject.h"

#include <QString>

#include <map>
#include <optional>

enum class FunctionalityTabMode { ImageDetails, BoxDetails };

QString rawValue(FunctionalityTabMode mode);
std::optional<FunctionalityTabMode> functionalityTabModeFromRawValue(const QString& text);

// Which tab the details panel shows and which tab icon is highlighted; one per window.
class FunctionalityBarNavigator : public ObservableObject
{
    Q_OBJECT
public:
    explicit FunctionalityBarNavigator(QObject* parent = nullptr)
        : ObservableObject(parent)
    {
    }

    Published<FunctionalityTabMode> currentFunctionalityBar { this, FunctionalityTabMode::ImageDetails };
    Published<std::map<FunctionalityTabMode, bool>> isActive { this,
        { { FunctionalityTabMode::ImageDetails, true }, { FunctionalityTabMode::BoxDetails, false } } };

    void changeActiveFunctionalityBar(FunctionalityTabMode tab);
    bool active(FunctionalityTabMode tab) const;
};
