#include "model/templatematching/PythonBridge.h"

#include "TestPython.h"

#include <gtest/gtest.h>

TEST(PythonRuntimeWrongPath, EveryCallSaysWhyAndNothingEnds)
{
    const QString wrong = QStringLiteral("/no/such/folder/libpython3.11.so.1.0");
    ASSERT_TRUE(TestPython::start(wrong));
    QString reason;
    EXPECT_EQ(PythonRuntime::instance().api(&reason), nullptr);
    EXPECT_TRUE(reason.startsWith("Cannot load the Python library " + wrong + ": ")
        && reason.contains("No such file or directory"))
        << reason.toStdString();

    QString error;
    EXPECT_FALSE(getBoxes("file:///t.json", "file:///i.png", 0.6, QString(), &error));
    EXPECT_EQ(error, "Template matching failed: " + reason);
    EXPECT_FALSE(saveBoxes("/t.json", "/t.csv", QString(), &error));
    EXPECT_EQ(error, "CSV export failed: " + reason);
    EXPECT_FALSE(pythonExecutable(&error));
    EXPECT_TRUE(error.endsWith(reason));
    // The choice was made; a later one is ignored.
    EXPECT_FALSE(PythonRuntime::instance().selectLibrary(TestPython::debianLibrary));
    EXPECT_TRUE(PythonRuntime::instance().loadedLibrary().isEmpty());
}
