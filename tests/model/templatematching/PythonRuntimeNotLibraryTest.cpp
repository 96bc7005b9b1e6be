#include "model/templatematching/PythonBridge.h"

#include "TestPython.h"

#include <gtest/gtest.h>

TEST(PythonRuntimeNotLibrary, AFileThatIsNoLibraryIsRefusedWithAMessage)
{
    const QString script = QStringLiteral(KESTRUNE_PYTHON_DIR "/templateMatcher.py");
    ASSERT_TRUE(TestPython::start(script));
    QString error;
    EXPECT_FALSE(getBoxes("file:///t.json", "file:///i.png", 0.6, QString(), &error));
    EXPECT_TRUE(error.startsWith("Template matching failed: Cannot load the Python library " + script + ": ")
        && (error.contains("invalid ELF header") || error.contains("file too short")))
        << error.toStdString();
    EXPECT_FALSE(saveBoxes("/t.json", "/t.csv", QString(), &error));
    EXPECT_TRUE(error.startsWith("CSV export failed: Cannot load the Python library")) << error.toStdString();
}
