#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Files that other programs name to us (a script's result, an image that may have been replaced)
// are read only when they are regular files: a named pipe would block the window until someone
// writes to it, and a device never ends.

// A path as messages show it: a NUL written as \0, and a 10 MB path cut to its two ends.
QString shownPath(QString path);

// Why the path names no regular file (links followed), or empty when it names one.
QString regularFileProblem(const QString& path);

// The whole file, when it is a regular file of at most maxBytes; otherwise nothing, with the
// reason in *reason.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, QString* reason);
