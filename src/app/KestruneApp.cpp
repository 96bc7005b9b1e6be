#include "app/KestruneApp.h"

#include "app/ContentView.h"

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
    std::erase_if(m_windows, [](const QPointer<ContentView>& w) { return w.isNull(); });
    m_windows.emplace_back(window);
    window->show();
    return window;
}

// The interpreter can load its library only once, so the user's choice reaches the Python runtime
// here, before any window exists and so before any Python call. An empty path leaves the choice to
// the runtime's own search.
void KestruneApp::selectPythonLibrary()
{
    const QString& library = m_matchSetting.pythonEnv.get();
    // The Python runtime is told `library` here once it is part of the program.
    static_cast<void>(library);
}
