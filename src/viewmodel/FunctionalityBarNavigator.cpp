#include "viewmodel/FunctionalityBarNavigator.h"

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
    std::vector<FunctionalityTabMode> keys;
    for (const auto& [key, value] : isActive.get())
        keys.push_back(key);
    for (FunctionalityTabMode key : keys)
        isActive.modify([&](auto& map) { map[key] = key == tab; });
}

bool FunctionalityBarNavigator::active(FunctionalityTabMode tab) const
{
    const auto it = isActive.get().find(tab);
    return it != isActive.get().end() && it->second;
}
