#include "model/templatematching/PythonBridge.h"
#include "model/templatematching/PythonRuntime.h"

#include "TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(PythonRuntimeNotLibrary, AFileThatIsNoLibraryIsRefusedWithAMessage)
{
    const QString fake = TestEnvironment::makeTempDir() + QStringLiteral("/libpython3.11.so.1.0");
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho this is no library\n");
    file.close();
    ASSERT_TRUE(PythonRuntime::instance().selectLibrary(fake));

    QString error;
    EXPECT_FALSE(getBoxes("file:///t.json", "file:///i.png", 0.6, QString(), &error));
    EXPECT_TRUE(error.startsWith("Template matching failed: Cannot load the Python library " + fake + ": "))
        << error.toStdString();
    EXPECT_TRUE(error.contains("invalid ELF header") || error.contains("file too short")) << error.toStdString();
    EXPECT_FALSE(saveBoxes("/t.json", "/t.csv", QString(), &error));
    EXPECT_TRUE(error.startsWith("CSV export failed: Cannot load the Python library")) << error.toStdString();
}
