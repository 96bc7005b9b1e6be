#pragma once

#include <QString>

// The hidden JSON box file through which an image's boxes go to the Python scripts: ".cat.json"
// for "cat.small.png", in the user's cache folder. Matching and the CSV save use the same name.
QString exchangeFileName(const QString& imageName);
// The file's full path; the cache folder is made when missing. Empty, with the reason in *error,
// when there is no cache folder to write to.
QString exchangeFilePath(const QString& imageName, QString* error = nullptr);
