#pragma once

#include "view/Popover.h"
#include "view/SharedObjects.h"

#include <QVariantAnimation>

class QGraphicsOpacityEffect;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The Python settings: the library file the interpreter is loaded from (used from the next start)
// and the folder of the matching scripts. The buttons store a choice in the settings; typing in
// the fields changes the running program only. It stays open until closed.
class SettingsPopover : public Popover
{
    Q_OBJECT
public:
    SettingsPopover(SharedObjects shared, QWidget* anchor);

    // The sidebar's first appearance: asks the interpreter for its executable, which stands in
    // for an unset library path. A Python that cannot start is told once per run.
    void readInterpreter();

    void changePath();
    void loadScripts();

    const QString& pythonPath() const { return m_pythonPath; }
    bool showRestartText() const { return m_showRestartText; }
    QLineEdit* pythonPathField() const { return m_pythonPathField; }
    QLineEdit* scriptsPathField() const { return m_scriptsPathField; }
    QPushButton* changePathButton() const { return m_changePathButton; }
    QPushButton* loadScriptsButton() const { return m_loadScriptsButton; }
    QToolButton* closeButton() const { return m_closeButton; }
    QLabel* restartNote() const { return m_restartNote; }
    // The note's opacity as shown now (it keeps its place while invisible).
    double restartNoteOpacity() const;

private:
    void refresh();
    void setRestartText(bool show);
    bool store(const char* key, const QString& value);

    SharedObjects m_shared;
    QString m_pythonPath;
    bool m_showRestartText = false;
    QToolButton* m_closeButton;
    QLineEdit* m_pythonPathField;
    QPushButton* m_changePathButton;
    QLabel* m_restartNote;
    QGraphicsOpacityEffect* m_restartOpacity;
    QVariantAnimation m_restartAnimation;
    QLineEdit* m_scriptsPathField;
    QPushButton* m_loadScriptsButton;
};
