#pragma once

#include <cstddef>

// The few functions of Python's stable ABI that the program calls, resolved at run time from the
// library the user chose. Python.h is not used: the program builds and runs without any Python
// installed, and works with whichever Python 3 the user has.
struct PyObject;
using PySize = std::ptrdiff_t; // Py_ssize_t

// What a step of the configured start-up returned; the same layout from 3.8 on. _type 0 is success,
// 1 an error (err_msg, said by func), 2 a request to exit with exitcode.
struct PyStatus {
    int _type;
    const char* func;
    const char* err_msg;
    int exitcode;
};

struct PythonApi {
    // Start-up.
    void (*Py_InitializeEx)(int initSignals);
    int (*Py_IsInitialized)();
    void (*Py_SetProgramName)(const wchar_t* name); // absent from some builds; then not called
    wchar_t* (*Py_DecodeLocale)(const char* text, std::size_t* size);
    void* (*PyEval_SaveThread)();
    // The configured start (3.8 on), which returns its failure where Py_InitializeEx ends the process.
    // All four or none; the PyConfig is opaque to us, as its layout changes between versions.
    void (*PyConfig_InitPythonConfig)(void* config);
    PyStatus (*PyConfig_SetBytesArgv)(void* config, PySize argc, char* const* argv);
    PyStatus (*Py_InitializeFromConfig)(const void* config);
    void (*PyConfig_Clear)(void* config);

    // Stopping a script: an exception raised in another thread at its next Python instruction.
    unsigned long (*PyThread_get_thread_ident)();
    int (*PyThreadState_SetAsyncExc)(unsigned long threadId, PyObject* exception);
    PyObject** PyExc_KeyboardInterrupt; // a data symbol: the address of the type object's pointer

    // The global interpreter lock, from any thread.
    int (*PyGILState_Ensure)();
    void (*PyGILState_Release)(int state);

    // Objects.
    PyObject* (*PyImport_ImportModule)(const char* name);
    PyObject* (*PyObject_GetAttrString)(PyObject* object, const char* name);
    PyObject* (*PyObject_CallObject)(PyObject* callable, PyObject* args);
    PyObject* (*PyObject_Str)(PyObject* object);
    PyObject* (*PyObject_Repr)(PyObject* object);
    int (*PyObject_IsInstance)(PyObject* object, PyObject* type);
    PyObject* (*PyTuple_New)(PySize size);
    int (*PyTuple_SetItem)(PyObject* tuple, PySize index, PyObject* item); // steals item
    PyObject* (*PyUnicode_FromString)(const char* utf8);
    PyObject* (*PyUnicode_AsUTF8String)(PyObject* text);
    PyObject* (*PyUnicode_Join)(PyObject* separator, PyObject* sequence);
    int (*PyBytes_AsStringAndSize)(PyObject* bytes, char** buffer, PySize* length);
    PyObject* (*PyFloat_FromDouble)(double value);
    PyObject* (*PyLong_FromLong)(long value);
    long (*PyLong_AsLong)(PyObject* number);
    void (*Py_IncRef)(PyObject* object);
    void (*Py_DecRef)(PyObject* object);
    PyObject* PyUnicode_Type; // the type object str, a data symbol
    PyObject* Py_None; // the object None, a data symbol

    // Errors.
    PyObject* (*PyErr_Occurred)();
    void (*PyErr_Fetch)(PyObject** type, PyObject** value, PyObject** traceback);
    void (*PyErr_NormalizeException)(PyObject** type, PyObject** value, PyObject** traceback);
    void (*PyErr_Clear)();
};
