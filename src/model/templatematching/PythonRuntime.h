#pragma once

#include "model/templatematching/PythonApi.h"

#include <QString>

#include <initializer_list>
#include <mutex>
#include <utility>

// The embedded Python interpreter: loaded from the library file chosen at start, started once on the
// first call, never finalised (numpy cannot start twice). After start-up no thread holds the global
// interpreter lock; every stretch of Python calls takes it with a PythonGil.
class PythonRuntime
{
public:
    static PythonRuntime& instance();

    // Chooses the library file to load ("" means our own search). Only a choice made before the
    // interpreter is loaded counts; a later one is ignored and false is returned.
    bool selectLibrary(const QString& path);

    // The interpreter, loaded and started when needed; nothing, with the reason in *error, when no
    // Python 3 library could be loaded or started. The reason stays the same for the whole run.
    const PythonApi* api(QString* error = nullptr);

    // The library file in use, once loaded.
    QString loadedLibrary() const;

    PythonRuntime(const PythonRuntime&) = delete;
    PythonRuntime& operator=(const PythonRuntime&) = delete;

private:
    PythonRuntime() = default;
    bool load(QString* error);

    mutable std::mutex m_mutex;
    enum class State { NotLoaded, Ready, Failed } m_state = State::NotLoaded;
    QString m_choice;
    QString m_loaded;
    QString m_failure;
    PythonApi m_api {};
};

// Holds the global interpreter lock for its lifetime, on any thread.
class PythonGil
{
public:
    explicit PythonGil(const PythonApi& api)
        : m_api(api)
        , m_state(api.PyGILState_Ensure())
    {
    }
    ~PythonGil() { m_api.PyGILState_Release(m_state); }
    PythonGil(const PythonGil&) = delete;
    PythonGil& operator=(const PythonGil&) = delete;

private:
    const PythonApi& m_api;
    int m_state;
};

// An owned reference; released on destruction, which must happen under the lock.
class PyRef
{
public:
    PyRef() = default;
    PyRef(const PythonApi& api, PyObject* owned)
        : m_api(&api)
        , m_object(owned)
    {
    }
    PyRef(PyRef&& other) noexcept
        : m_api(other.m_api)
        , m_object(std::exchange(other.m_object, nullptr))
    {
    }
    PyRef& operator=(PyRef&& other) noexcept
    {
        std::swap(m_api, other.m_api);
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~PyRef()
    {
        if (m_object)
            m_api->Py_DecRef(m_object);
    }
    PyObject* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    const PythonApi* m_api = nullptr;
    PyObject* m_object = nullptr;
};

// A Python failure: a readable message that ends with the Python traceback.
struct PythonError {
    QString message;
};

// Calls into Python for code that holds the lock. Each failure throws a PythonError that says what
// was being done and carries the traceback; the Python error state is cleared.
class PythonCall
{
public:
    explicit PythonCall(const PythonApi& api)
        : m_api(api)
    {
    }

    PyRef import(const char* module);
    // The attribute name of object; owner names the object in messages.
    PyRef attr(const PyRef& object, const char* name, const QString& owner);
    PyRef call(const PyRef& callable, std::initializer_list<const PyRef*> args, const QString& what);
    PyRef string(const QString& text);
    PyRef number(double value);
    PyRef integer(long value);
    long integerOf(const PyRef& number, const QString& what);
    PyRef none();
    // The text of a Python str; throws when the object is no str.
    QString text(const PyRef& object, const QString& what);

    // Turns the pending Python exception into a PythonError, traceback included.
    [[noreturn]] void fail(const QString& what);

private:
    PyRef check(PyObject* result, const QString& what);
    QString utf8(PyObject* text);
    QString formatException(PyObject* type, PyObject* value, PyObject* traceback);

    const PythonApi& m_api;
};
