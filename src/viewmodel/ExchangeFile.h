#pragma once

#include <QString>

// The hidden JSON box file through which an image's boxes go to the Python scripts: ".cat.json"
// for "cat.small.png". Matching and the CSV save use the same name.
QString exchangeFileName(const QString& imageName);

// This process's own folder for those files, inside the user's cache folder and readable by the user
// alone, so that two running copies never share a file. Made when first asked for (again when the
// cache folder moved or the folder went), and removed when the process ends; folders left by copies
// that are no longer running go then too. Empty, with the reason in *error, when it cannot be made.
QString exchangeFolder(QString* error = nullptr);
// The file's full path in that folder; empty, with the reason in *error, when there is no folder.
QString exchangeFilePath(const QString& imageName, QString* error = nullptr);
// Whether a file lies directly in that folder (links and ".." resolved), so that it is ours to remove.
bool isInExchangeFolder(const QString& path);

// A use of an exchange file that is about to be written. Its release says whether the file may be
// removed: not when a later use has claimed it since, so a late clean-up never takes a newer run's file.
int claimExchangeFile(const QString& path);
bool releaseExchangeFile(const QString& path, int claim);
