#include "app/KestruneApp.h"

#include "app/ContentView.h"
#include "app/MenuCommands.h"
#include "model/templatematching/PythonRuntime.h"
#include "view/sidebar/SidebarView.h"

#include <QIcon>

KestruneApp::KestruneApp()
{
    m_imageManager.setFileDialogs(&m_fileDialogs);
    // Without a desktop environment Qt names no icon theme.
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    selectPythonLibrary();
}

KestruneApp::~KestruneApp()
{
    // Windows still open at exit go before the objects they show.
    for (const auto& window : m_windows)
        delete window.data();
}

SharedObjects KestruneApp::shared()
{
    return { m_imageManager, m_boundingBoxManager, m_cursorManager, m_matchSetting, m_fileDialogs };
}

ContentView* KestruneApp::openWindow()
{
    auto* window = new ContentView(shared());
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    MenuCommands::install(
        *window, shared(), [this] { openWindow(); }, window->sidebar());
    std::erase_if(m_windows, [](const QPointer<ContentView>& w) { return w.isNull(); });
    m_windows.emplace_back(window);
    window->show();
    return window;
}

// The interpreter can load its library only once, so the user's choice reaches the Python runtime
// here, before any window exists and so before any Python call. An empty path leaves the choice to
// the runtime's own search. The bundled scripts serve only while the user has chosen no scripts
// folder of their own: on the search path they would come first and hide the user's.
void KestruneApp::selectPythonLibrary()
{
    if (m_matchSetting.pythonLibrary.get().isEmpty())
        PythonRuntime::putBundledScriptsOnPath();
    PythonRuntime::instance().selectLibrary(m_matchSetting.pythonEnv.get());
}
