#pragma once

#include "viewmodel/BoundingBoxManager.h"
#include "viewmodel/CursorManager.h"
#include "viewmodel/FileDialogs.h"
#include "viewmodel/ImageManager.h"
#include "viewmodel/MatchSetting.h"

// The four shared model objects of the process, and the dialogs that ask the user for files,
// handed to every view of every window.
struct SharedObjects {
    ImageManager& imageManager;
    BoundingBoxManager& boundingBoxManager;
    CursorManager& cursorManager;
    MatchSetting& matchSetting;
    FileDialogs& fileDialogs;
};
