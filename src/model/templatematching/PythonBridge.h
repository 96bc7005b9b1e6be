#pragma once

#include <QString>

#include <optional>

class MatchSetting;

// The program's only calls into the Python scripts. Every failure (no interpreter, a module or
// attribute missing, an exception in a script, a result that is no string) is printed to standard
// output and handed back in *error, with the Python traceback; the process goes on. The calling
// thread must not hold the Python lock.

// Matches the template boxes of a JSON box file against an image (both "file://" URL texts) and
// returns the plain path of the script's JSON box file of matches. match_template runs on a worker
// thread while the caller waits.
std::optional<QString> getBoxes(const QString& templateUrlText, const QString& imageUrlText, double threshold,
    const MatchSetting& settings, QString* error = nullptr);

// Converts a JSON box file to a CSV file (plain paths) with the scripts of the given folder.
bool saveBoxes(const QString& jsonPath, const QString& csvPath, const QString& scriptsFolder, QString* error = nullptr);

// sys.executable of the embedded interpreter ("" when it is no string); nothing when Python fails.
std::optional<QString> pythonExecutable(QString* error = nullptr);
