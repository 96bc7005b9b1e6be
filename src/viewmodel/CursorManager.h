#pragma once

#include "model/ObservableObject.h"

#include <QString>

#include <optional>

enum class CursorMode { dragToMoveImage, dragToMoveRectangle, dragToDrawRectangle };

QString rawValue(CursorMode mode);
// The whole text, case-sensitive; anything else gives no mode.
std::optional<CursorMode> cursorModeFromRawValue(const QString& text);

class CursorManager : public ObservableObject
{
    Q_OBJECT
public:
    explicit CursorManager(QObject* parent = nullptr)
        : ObservableObject(parent)
    {
    }

    Published<CursorMode> currentCursorMode { this, CursorMode::dragToMoveImage };
};
