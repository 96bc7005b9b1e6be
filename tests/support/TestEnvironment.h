#pragma once

#include <QByteArray>
#include <QString>

// Every test process keeps its settings, caches and runtime folder in folders of its own.
namespace TestEnvironment
{
// Called first in main, before any Qt object exists.
void isolate();
// A fresh folder that lives until the process ends.
QString makeTempDir();
// Writes a file, its folder too (a failure of the test if it cannot); returns its path.
QString writeFile(const QString& path, const QByteArray& bytes = {});
// A file's bytes, or "<missing>".
QByteArray readFile(const QString& path);
} // namespace TestEnvironment
