#pragma once

#include "app/SignalQuit.h"
#include "view/QtFileDialogs.h"
#include "view/SharedObjects.h"
#include "viewmodel/BoundingBoxManager.h"
#include "viewmodel/CursorManager.h"
#include "viewmodel/ImageManager.h"
#include "viewmodel/MatchSetting.h"

#include <QPointer>

#include <vector>

class ContentView;

// The application: the four shared objects, made once for the life of the process, and its main
// windows, every one over those same objects. Make it once, after the QApplication.
class KestruneApp
{
public:
    KestruneApp();
    ~KestruneApp();
    KestruneApp(const KestruneApp&) = delete;
    KestruneApp& operator=(const KestruneApp&) = delete;

    SharedObjects shared();
    // Opens another main window and shows it.
    ContentView* openWindow();

private:
    void selectPythonLibrary();

    BoundingBoxManager m_boundingBoxManager;
    ImageManager m_imageManager { m_boundingBoxManager };
    CursorManager m_cursorManager;
    MatchSetting m_matchSetting;
    QtFileDialogs m_fileDialogs;
    SignalQuit m_signalQuit;
    std::vector<QPointer<ContentView>> m_windows;
};
