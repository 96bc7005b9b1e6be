#include "viewmodel/FunctionalityBarNavigator.h"

#include "viewmodel/Highlights.h"
#include "viewmodel/RawValues.h"

namespace
{
constexpr RawValue<FunctionalityTabMode> tabModes[] = {
    { FunctionalityTabMode::ImageDetails, "Image Details" },
    { FunctionalityTabMode::BoxDetails, "Box Details" },
};
} // namespace

QString rawValue(FunctionalityTabMode mode) { return rawValueOf(tabModes, mode); }
std::optional<FunctionalityTabMode> functionalityTabModeFromRawValue(const QString& text)
{
    return caseFromRawValue(tabModes, text);
}

void FunctionalityBarNavigator::changeActiveFunctionalityBar(FunctionalityTabMode tab)
{
    currentFunctionalityBar.set(tab);
    highlightOnly(isActive, tab);
}

bool FunctionalityBarNavigator::active(FunctionalityTabMode tab) const { return isHighlighted(isActive.get(), tab); }
