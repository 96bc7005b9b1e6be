#pragma once

#include <QString>

// Every test process works in folders of its own: settings, caches and the runtime folder never
// touch the user's.
namespace TestEnvironment
{
// Called first in main, before any Qt object exists.
void isolate();
// A fresh folder that lives until the process ends.
QString makeTempDir();
// Writes the bytes to a file (a failure of the test if it cannot); returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
} // namespace TestEnvironment
