#pragma once

#include "model/templatematching/PythonRuntime.h"

#include <QString>

#include <cstdlib>

namespace TestPython
{
// Debian's library, which sees the system's OpenCV.
inline const QString debianLibrary = QStringLiteral("/usr/lib/x86_64-linux-gnu/libpython3.11.so.1.0");

// The embedded interpreter as the program starts it, with no bytecode written into the source tree.
// Returns whether the library was chosen.
inline bool start(const QString& library = debianLibrary)
{
    setenv("PYTHONDONTWRITEBYTECODE", "1", 1);
    return PythonRuntime::instance().selectLibrary(library);
}
} // namespace TestPython
