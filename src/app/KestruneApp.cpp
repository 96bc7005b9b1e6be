#include "app/KestruneApp.h"

#include "app/ContentView.h"
#include "app/MenuCommands.h"
#include "model/templatematching/PythonRuntime.h"
#include "view/sidebar/SidebarView.h"

#include <QIcon>

#include <csignal>

KestruneApp::KestruneApp()
{
    // Over a file-size limit a write fails with its reason instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
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
// the runtime's own search.
void KestruneApp::selectPythonLibrary() { PythonRuntime::instance().selectLibrary(m_matchSetting.pythonEnv.get()); }
