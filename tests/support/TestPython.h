#pragma once

#include "model/templatematching/PythonRuntime.h"

#include <cstdlib>

namespace TestPython
{
// Debian's library, which sees the system's OpenCV.
inline const QString debianLibrary = QStringLiteral("/usr/lib/x86_64-linux-gnu/libpython3.11.so.1.0");

// Chooses the library as the program does, with no bytecode written into the source tree.
inline bool start(const QString& library = debianLibrary)
{
    setenv("PYTHONDONTWRITEBYTECODE", "1", 1);
    return PythonRuntime::instance().selectLibrary(library);
}
} // namespace TestPython
