#pragma once

#include <QString>

// Every test process keeps its settings, caches and runtime folder in folders of its own.
namespace TestEnvironment
{
// Called first in main, before any Qt object exists.
void isolate();
// A fresh folder that lives until the process ends.
QString makeTempDir();
// Writes the bytes to a file (a failure of the test if it cannot); returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
} // namespace TestEnvironment
