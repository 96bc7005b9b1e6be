#pragma once

#include <QString>

#include <optional>

class ScriptWaiter;

// The program's only calls into the Python scripts. Every failure (no interpreter, a module or
// attribute missing, an exception in a script, a result that is no string, a cancelled run) is
// printed to standard output and handed back in *error, with the Python traceback; the process goes
// on. The calling thread must not hold the Python lock.
//
// The scripts are those of scriptsFolder, or the bundled ones while it is empty: the folder goes
// first on the module search path, and the script modules are imported again whenever the folder
// differs from the last call's. The script code runs on a worker thread while the waiter (or, when
// none is given, the calling thread) waits for it; the waiter may cancel it. A cancelled script that
// does not stop is left running, and until it ends every call fails at once saying so.

// Matches the template boxes of a JSON box file against an image (both "file://" URL texts) and
// returns the plain path of the script's JSON box file of matches.
std::optional<QString> getBoxes(const QString& templateUrlText, const QString& imageUrlText, double threshold,
    const QString& scriptsFolder, QString* error = nullptr, ScriptWaiter* waiter = nullptr);

// Converts a JSON box file to a CSV file (plain paths).
bool saveBoxes(const QString& jsonPath, const QString& csvPath, const QString& scriptsFolder, QString* error = nullptr,
    ScriptWaiter* waiter = nullptr);

// sys.executable of the embedded interpreter ("" when it is no string); nothing when Python fails.
std::optional<QString> pythonExecutable(QString* error = nullptr);
