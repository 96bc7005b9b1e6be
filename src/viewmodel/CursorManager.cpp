#include "viewmodel/CursorManager.h"

#include "viewmodel/RawValues.h"

namespace
{
constexpr RawValue<CursorMode> cursorModes[] = {
    { CursorMode::dragToMoveImage, "dragToMoveImage" },
    { CursorMode::dragToMoveRectangle, "dragToMoveRectangle" },
    { CursorMode::dragToDrawRectangle, "dragToDrawRectangle" },
};
} // namespace

QString rawValue(CursorMode mode) { return rawValueOf(cursorModes, mode); }
std::optional<CursorMode> cursorModeFromRawValue(const QString& text) { return caseFromRawValue(cursorModes, text); }
