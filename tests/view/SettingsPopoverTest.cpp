#include "view/sidebar/SettingsPopover.h"

#include "Alerts.h"
#include "CanvasFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
QVariant stored(const char* key)
{
    return QSettings(MatchSetting::organization, MatchSetting::application).value(QString::fromLatin1(key));
}

void clearStore()
{
    QSettings settings(MatchSetting::organization, MatchSetting::application);
    settings.clear();
    settings.sync();
}

struct Settings : CanvasFixture {
    QWidget anchor;
    SettingsPopover popover { shared, &anchor };

    Settings()
    {
        anchor.show();
        popover.showBesideAnchor();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&popover));
    }
};

QString makeFile(const QString& dir, const QString& relative)
{
    const QString path = dir + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}
} // namespace

TEST(SettingsPopover, ChosenLibraryAndScriptsFolderSurviveARestart)
{
    clearStore();
    const QString dir = TestEnvironment::makeTempDir();
    const QString library = makeFile(dir, "my libs/libpython3.11.so.1.0");
    const QString folder = TestEnvironment::makeTempDir() + "/my scripts ü";
    QDir().mkpath(folder);
    {
        Settings s;
        EXPECT_EQ(s.popover.restartNoteOpacity(), 0.0);
        // Load Scripts stores the folder and asks for no restart.
        s.dialogs.folderToChoose = folder;
        QTest::mouseClick(s.popover.loadScriptsButton(), Qt::LeftButton);
        EXPECT_EQ(s.matchSetting.pythonLibrary.get(), folder);
        QTRY_COMPARE(s.popover.scriptsPathField()->text(), folder);
        EXPECT_FALSE(s.popover.showRestartText());

        s.dialogs.fileToOpen = library;
        QTest::mouseClick(s.popover.changePathButton(), Qt::LeftButton);
        EXPECT_TRUE(s.popover.showRestartText());
        EXPECT_EQ(s.popover.restartNote()->text(), "*Restart the app for the changes to take effect.");
        QTRY_COMPARE(s.popover.restartNoteOpacity(), 1.0);
        EXPECT_EQ(s.matchSetting.pythonEnv.get(), library);
        QTRY_COMPARE(s.popover.pythonPathField()->text(), library);
        // Plain texts: the blanks stay blanks.
        EXPECT_EQ(stored(MatchSetting::pythonPathKey).toString(), library);
        EXPECT_EQ(stored(MatchSetting::pythonLibraryKey).toString(), folder);
    }
    MatchSetting restarted;
    EXPECT_EQ(restarted.pythonEnv.get(), library);
    EXPECT_EQ(restarted.pythonLibrary.get(), folder);
}

TEST(SettingsPopover, RefusedCancelledAndTypedPathsWriteNothing)
{
    clearStore();
    const QString dir = TestEnvironment::makeTempDir();
    const QString accepted = makeFile(dir, "libpython3.so");
    Settings s;
    s.dialogs.fileToOpen = accepted;
    s.popover.changePath();
    ASSERT_EQ(stored(MatchSetting::pythonPathKey).toString(), accepted);

    // The test is case-sensitive: "Python3" is refused, with a message, and nothing changes.
    s.dialogs.fileToOpen = makeFile(dir, "Python3");
    {
        AlertAnswerer ok("OK");
        QTest::mouseClick(s.popover.changePathButton(), Qt::LeftButton);
        ASSERT_EQ(ok.seen().size(), 1);
        EXPECT_EQ(ok.seen()[0].title, "Invalid Input");
        EXPECT_TRUE(ok.seen()[0].text.contains("Python3"));
    }
    EXPECT_FALSE(s.popover.showRestartText());
    EXPECT_EQ(s.matchSetting.pythonEnv.get(), accepted);
    EXPECT_EQ(stored(MatchSetting::pythonPathKey).toString(), accepted);

    // Cancel in either dialog writes nothing.
    s.dialogs.fileToOpen.clear();
    s.dialogs.folderToChoose.clear();
    QTest::mouseClick(s.popover.changePathButton(), Qt::LeftButton);
    QTest::mouseClick(s.popover.loadScriptsButton(), Qt::LeftButton);
    EXPECT_EQ(stored(MatchSetting::pythonPathKey).toString(), accepted);
    EXPECT_FALSE(stored(MatchSetting::pythonLibraryKey).isValid());

    // Typing changes the running program only.
    s.popover.pythonPathField()->setFocus();
    s.popover.pythonPathField()->selectAll();
    QTest::keyClicks(s.popover.pythonPathField(), "/typed/libpython9.so");
    EXPECT_EQ(s.matchSetting.pythonEnv.get(), "/typed/libpython9.so");
    QTest::keyClicks(s.popover.scriptsPathField(), "/typed/scripts");
    EXPECT_EQ(s.matchSetting.pythonLibrary.get(), "/typed/scripts");
    EXPECT_EQ(stored(MatchSetting::pythonPathKey).toString(), accepted);
    EXPECT_FALSE(stored(MatchSetting::pythonLibraryKey).isValid());
    MatchSetting restarted;
    EXPECT_EQ(restarted.pythonEnv.get(), accepted);
    EXPECT_TRUE(restarted.pythonLibrary.get().isEmpty());
}

TEST(SettingsPopover, TheInterpretersExecutableStandsInForAnUnsetLibraryInMemoryOnly)
{
    clearStore();
    Settings s;
    s.popover.readInterpreter();
    const QString executable = s.popover.pythonPath();
    ASSERT_FALSE(executable.isEmpty()) << "the test machine has Python 3";
    EXPECT_TRUE(QFileInfo(executable).fileName().startsWith("python"));
    EXPECT_EQ(s.matchSetting.pythonEnv.get(), executable);
    QTRY_COMPARE(s.popover.pythonPathField()->text(), executable);
    EXPECT_FALSE(stored(MatchSetting::pythonPathKey).isValid());

    // A library already set is kept.
    s.matchSetting.pythonEnv.set("/chosen/libpython3.so");
    s.popover.readInterpreter();
    EXPECT_EQ(s.matchSetting.pythonEnv.get(), "/chosen/libpython3.so");
}
