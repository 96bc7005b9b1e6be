#pragma once

#include <QByteArray>
#include <QString>

// Every test process works in folders of its own: settings, caches and the runtime folder never
// touch the user's.
namespace TestEnvironment
{
// Called first in main, before any Qt object exists.
void isolate();
// A fresh folder that lives until the process ends.
QString makeTempDir();
// Writes a file, its folder too; returns its path.
QString writeFile(const QString& path, const QByteArray& bytes = {});
// A file's bytes, or "<missing>".
QByteArray readFile(const QString& path);
} // namespace TestEnvironment
