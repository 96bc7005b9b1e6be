#include "model/templatematching/PythonRuntime.h"

#include "model/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <climits>
#include <csignal>
#include <cstddef>

#include <dlfcn.h>

namespace
{
template <class T> bool resolve(void* handle, const char* name, T& target)
{
    void* symbol = dlsym(handle, name);
    target = reinterpret_cast<T>(symbol);
    return symbol != nullptr;
}

// Every function the program calls; the names of those missing.
QStringList resolveAll(void* handle, PythonApi& api)
{
    QStringList missing;
#define KESTRUNE_RESOLVE(name)                                                                                         \
    if (!resolve(handle, #name, api.name))                                                                             \
        missing << QStringLiteral(#name);
    KESTRUNE_RESOLVE(Py_InitializeEx)
    KESTRUNE_RESOLVE(Py_IsInitialized)
    KESTRUNE_RESOLVE(Py_DecodeLocale)
    KESTRUNE_RESOLVE(PyEval_SaveThread)
    KESTRUNE_RESOLVE(PyThread_get_thread_ident)
    KESTRUNE_RESOLVE(PyThreadState_SetAsyncExc)
    KESTRUNE_RESOLVE(PyExc_KeyboardInterrupt)
    KESTRUNE_RESOLVE(PyGILState_Ensure)
    KESTRUNE_RESOLVE(PyGILState_Release)
    KESTRUNE_RESOLVE(PyImport_ImportModule)
    KESTRUNE_RESOLVE(PyObject_GetAttrString)
    KESTRUNE_RESOLVE(PyObject_CallObject)
    KESTRUNE_RESOLVE(PyObject_Str)
    KESTRUNE_RESOLVE(PyObject_Repr)
    KESTRUNE_RESOLVE(PyObject_IsInstance)
    KESTRUNE_RESOLVE(PyTuple_New)
    KESTRUNE_RESOLVE(PyTuple_SetItem)
    KESTRUNE_RESOLVE(PyUnicode_FromString)
    KESTRUNE_RESOLVE(PyUnicode_AsUTF8String)
    KESTRUNE_RESOLVE(PyUnicode_Join)
    KESTRUNE_RESOLVE(PyBytes_AsStringAndSize)
    KESTRUNE_RESOLVE(PyFloat_FromDouble)
    KESTRUNE_RESOLVE(PyLong_FromLong)
    KESTRUNE_RESOLVE(PyLong_AsLong)
    KESTRUNE_RESOLVE(Py_IncRef)
    KESTRUNE_RESOLVE(Py_DecRef)
    KESTRUNE_RESOLVE(PyUnicode_Type)
    KESTRUNE_RESOLVE(PyErr_Occurred)
    KESTRUNE_RESOLVE(PyErr_Fetch)
    KESTRUNE_RESOLVE(PyErr_NormalizeException)
    KESTRUNE_RESOLVE(PyErr_Clear)
#undef KESTRUNE_RESOLVE
    if (!resolve(handle, "_Py_NoneStruct", api.Py_None))
        missing << QStringLiteral("_Py_NoneStruct");
    // Deprecated, but still exported by every Python 3 we know; without it the prefix is guessed.
    resolve(handle, "Py_SetProgramName", api.Py_SetProgramName);
    if (!(resolve(handle, "PyConfig_InitPythonConfig", api.PyConfig_InitPythonConfig)
            && resolve(handle, "PyConfig_SetBytesArgv", api.PyConfig_SetBytesArgv)
            && resolve(handle, "Py_InitializeFromConfig", api.Py_InitializeFromConfig)
            && resolve(handle, "PyConfig_Clear", api.PyConfig_Clear)))
        api.Py_InitializeFromConfig = nullptr;
    return missing;
}

// Why path cannot name a file, checked before dlopen: it stops at a NUL (and would load another file),
// and glibc copies the name onto the stack, where a few megabytes overflow it.
QString unusablePath(const QString& path)
{
    if (path.contains(QChar(0)))
        return QStringLiteral("the path contains a NUL character");
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= PATH_MAX)
        return QStringLiteral("the path is longer than %1 bytes").arg(PATH_MAX - 1);
    for (const QByteArray& name : bytes.split('/'))
        if (name.size() > NAME_MAX)
            return QStringLiteral("a name in the path is longer than %1 bytes").arg(NAME_MAX);
    return {};
}

QString lastDlError()
{
    const char* text = dlerror();
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}

void* openLibrary(const QString& file) { return dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_GLOBAL); }

// libpython3.so first (it names the installed version), then the versions from newest to oldest,
// each through the system's own search and then in the usual library folders.
void* searchLibrary(QString* error)
{
    QStringList names { QStringLiteral("libpython3.so") };
    for (int minor = 13; minor >= 8; --minor)
        names << QStringLiteral("libpython3.%1.so.1.0").arg(minor);
    QStringList folders { QStringLiteral("/usr/local/lib"), QStringLiteral("/usr/lib64"), QStringLiteral("/usr/lib") };
#if defined(__x86_64__)
    folders.insert(1, QStringLiteral("/usr/lib/x86_64-linux-gnu"));
#elif defined(__aarch64__)
    folders.insert(1, QStringLiteral("/usr/lib/aarch64-linux-gnu"));
#endif
    for (const QString& name : names) {
        if (void* handle = openLibrary(name))
            return handle;
        for (const QString& folder : folders)
            if (QFileInfo::exists(folder + QLatin1Char('/') + name))
                if (void* handle = openLibrary(folder + QLatin1Char('/') + name))
                    return handle;
    }
    *error = QStringLiteral("No Python 3 library was found (libpython3.so or libpython3.13 down to 3.8 in %1). "
                            "Install the package libpython3-dev, or choose the library file in the settings.")
                 .arg(folders.join(QStringLiteral(", ")));
    return nullptr;
}

struct Installation {
    QString program; // the interpreter beside the library's prefix
    QString problem; // why the interpreter would not start, when we can tell
};

// For <prefix>/lib[/<arch>]/libpython3.X.so.1.0: the program <prefix>/bin/python3.X. Without it the
// library takes its prefix from the first python3 on PATH, which may be another installation.
Installation installationOf(const QString& library)
{
    const QFileInfo info(library);
    const QString real = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    static const QRegularExpression versionPattern(QStringLiteral("libpython(3\\.\\d+)"));
    const auto match = versionPattern.match(QFileInfo(real).fileName());
    if (!match.hasMatch())
        return {};
    const QString version = match.captured(1);
    QDir prefix = QFileInfo(real).absoluteDir();
    for (QDir dir = prefix;;) {
        if (dir.dirName() == QLatin1String("lib") || dir.dirName() == QLatin1String("lib64")) {
            dir.cdUp();
            prefix = dir;
            break;
        }
        if (!dir.cdUp())
            break;
    }
    Installation result;
    result.program = prefix.filePath(QStringLiteral("bin/python") + version);
    if (!QFileInfo::exists(result.program) && QFileInfo::exists(prefix.filePath(QStringLiteral("bin/python3"))))
        result.program = prefix.filePath(QStringLiteral("bin/python3"));
    // A missing standard library would make the interpreter abort the whole process at start.
    if (qEnvironmentVariableIsEmpty("PYTHONHOME")) {
        const QString zipped = QStringLiteral("python3%1.zip").arg(version.mid(2));
        bool found = false;
        for (const char* lib : { "lib", "lib64" })
            found = found || QFileInfo::exists(prefix.filePath(QStringLiteral("%1/python%2/os.py").arg(lib, version)))
                || QFileInfo::exists(prefix.filePath(QStringLiteral("%1/%2").arg(lib, zipped)));
        if (!found)
            result.problem = QStringLiteral("The Python library %1 has no standard library under %2 "
                                            "(lib/python%3/os.py is missing)")
                                 .arg(shownPath(library), shownPath(prefix.path()), version);
    }
    return result;
}

// Python's start installs its own handlers (SIGINT, SIGPIPE); the program's are put back after it.
class SavedSignals
{
public:
    SavedSignals()
    {
        for (int signal = 1; signal < NSIG; ++signal)
            m_saved[signal]
                = signal != SIGKILL && signal != SIGSTOP && sigaction(signal, nullptr, &m_actions[signal]) == 0;
    }
    ~SavedSignals()
    {
        for (int signal = 1; signal < NSIG; ++signal)
            if (m_saved[signal])
                sigaction(signal, &m_actions[signal], nullptr);
    }
    SavedSignals(const SavedSignals&) = delete;
    SavedSignals& operator=(const SavedSignals&) = delete;

private:
    std::array<struct sigaction, NSIG> m_actions {};
    std::array<bool, NSIG> m_saved {};
};

QString describe(const PyStatus& status)
{
    if (status._type == 2)
        return QStringLiteral("it asked to exit with status %1").arg(status.exitcode);
    const QString message = QString::fromUtf8(status.err_msg ? status.err_msg : "no reason given");
    return status.func ? QString::fromUtf8(status.func) + QStringLiteral(": ") + message : message;
}

// Starts the interpreter; empty on success, else what failed. A library with the configured start
// returns its failure (a missing standard library, say) where Py_InitializeEx would end the process.
QString start(const PythonApi& api, const QString& program)
{
    const SavedSignals saved;
    if (!api.Py_InitializeFromConfig) {
        api.Py_InitializeEx(0);
        return api.Py_IsInitialized() ? QString() : QStringLiteral("Py_InitializeEx gave no reason");
    }
    // Larger than any version's PyConfig (448 bytes in 3.13); only Python reads and writes it.
    struct {
        alignas(std::max_align_t) unsigned char bytes[8192];
    } config {};
    api.PyConfig_InitPythonConfig(&config);
    PyStatus status {};
    // The prefix is found from argv[0], as from the program name.
    QByteArray argv0 = QFile::encodeName(program);
    char* argv[] = { argv0.data() };
    if (!program.isEmpty())
        status = api.PyConfig_SetBytesArgv(&config, 1, argv);
    if (status._type == 0)
        status = api.Py_InitializeFromConfig(&config);
    api.PyConfig_Clear(&config);
    return status._type == 0 ? QString() : describe(status);
}
} // namespace

PythonRuntime& PythonRuntime::instance()
{
    static PythonRuntime runtime;
    return runtime;
}

bool PythonRuntime::selectLibrary(const QString& path)
{
    std::lock_guard lock(m_mutex);
    if (m_state != State::NotLoaded)
        return false;
    m_choice = path;
    return true;
}

QString PythonRuntime::loadedLibrary() const
{
    std::lock_guard lock(m_mutex);
    return m_loaded;
}

const PythonApi* PythonRuntime::api(QString* error)
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::NotLoaded)
        m_state = load(&m_failure) ? State::Ready : State::Failed;
    if (m_state == State::Ready)
        return &m_api;
    if (error)
        *error = m_failure;
    return nullptr;
}

bool PythonRuntime::load(QString* error)
{
    void* handle = nullptr;
    if (m_choice.isEmpty()) {
        handle = searchLibrary(error);
    } else {
        QString reason = unusablePath(m_choice);
        if (reason.isEmpty() && !(handle = openLibrary(m_choice))) {
            reason = lastDlError();
            if (reason.startsWith(m_choice + QStringLiteral(": ")))
                reason.remove(0, m_choice.size() + 2);
            reason.replace(m_choice, shownPath(m_choice));
        }
        if (!handle)
            *error = QStringLiteral("Cannot load the Python library %1: %2").arg(shownPath(m_choice), reason);
    }
    if (!handle)
        return false;
    PythonApi api {};
    const QStringList missing = resolveAll(handle, api);
    if (!missing.isEmpty()) {
        dlclose(handle);
        *error = QStringLiteral("%1 is not a Python 3 library: it lacks %2")
                     .arg(m_choice.isEmpty() ? QStringLiteral("The library found") : shownPath(m_choice),
                         missing.join(QStringLiteral(", ")));
        return false;
    }
    Dl_info info {};
    const QString library = dladdr(reinterpret_cast<void*>(api.Py_InitializeEx), &info) && info.dli_fname
        ? QFile::decodeName(info.dli_fname)
        : m_choice;
    if (!api.Py_IsInitialized()) {
        const Installation installation = installationOf(library);
        if (!installation.problem.isEmpty()) {
            *error = installation.problem;
            return false;
        }
        if (api.Py_SetProgramName && !installation.program.isEmpty()) {
            // Python keeps the pointer: the text lives as long as the process.
            static wchar_t* programName = nullptr;
            programName = api.Py_DecodeLocale(QFile::encodeName(installation.program).constData(), nullptr);
            if (programName)
                api.Py_SetProgramName(programName);
        }
        // After a failed start the interpreter is half made: nothing calls into it again.
        if (const QString failure = start(api, installation.program); !failure.isEmpty()) {
            *error
                = QStringLiteral("The Python interpreter of %1 did not start (%2).").arg(shownPath(library), failure);
            if (const QString home = qEnvironmentVariable("PYTHONHOME"); !home.isEmpty())
                *error += QStringLiteral(" PYTHONHOME is set to %1.").arg(shownPath(home));
            return false;
        }
        // threading takes the thread that imports it first for the main thread: this one, not a
        // worker that runs a script.
        if (PyObject* threading = api.PyImport_ImportModule("threading"))
            api.Py_DecRef(threading);
        api.PyErr_Clear();
        api.PyEval_SaveThread();
    }
    m_api = api;
    m_loaded = library;
    return true;
}

PyRef PythonCall::check(PyObject* result, const QString& what)
{
    if (!result)
        fail(what);
    return PyRef(m_api, result);
}

PyRef PythonCall::import(const char* module)
{
    return check(m_api.PyImport_ImportModule(module), QStringLiteral("Cannot import the Python module %1").arg(module));
}

PyRef PythonCall::attr(const PyRef& object, const char* name, const QString& owner)
{
    return check(
        m_api.PyObject_GetAttrString(object.get(), name), QStringLiteral("Cannot read %1.%2").arg(owner, name));
}

PyRef PythonCall::call(const PyRef& callable, std::initializer_list<const PyRef*> args, const QString& what)
{
    PyRef tuple = check(m_api.PyTuple_New(PySize(args.size())), what);
    PySize index = 0;
    for (const PyRef* arg : args) {
        m_api.Py_IncRef(arg->get());
        m_api.PyTuple_SetItem(tuple.get(), index++, arg->get());
    }
    return check(m_api.PyObject_CallObject(callable.get(), tuple.get()), what);
}

PyRef PythonCall::string(const QString& text)
{
    return check(m_api.PyUnicode_FromString(text.toUtf8().constData()), QStringLiteral("Cannot pass a text to Python"));
}

PyRef PythonCall::number(double value)
{
    return check(m_api.PyFloat_FromDouble(value), QStringLiteral("Cannot pass a number to Python"));
}

PyRef PythonCall::integer(long value)
{
    return check(m_api.PyLong_FromLong(value), QStringLiteral("Cannot pass a number to Python"));
}

long PythonCall::integerOf(const PyRef& number, const QString& what)
{
    const long value = m_api.PyLong_AsLong(number.get());
    if (value == -1 && m_api.PyErr_Occurred())
        fail(what);
    return value;
}

PyRef PythonCall::none()
{
    m_api.Py_IncRef(m_api.Py_None);
    return PyRef(m_api, m_api.Py_None);
}

QString PythonCall::utf8(PyObject* text)
{
    PyRef bytes = check(m_api.PyUnicode_AsUTF8String(text), QStringLiteral("A Python text cannot be read as UTF-8"));
    char* buffer = nullptr;
    PySize length = 0;
    if (m_api.PyBytes_AsStringAndSize(bytes.get(), &buffer, &length) != 0)
        fail(QStringLiteral("A Python text cannot be read as UTF-8"));
    return QString::fromUtf8(buffer, qsizetype(length));
}

QString PythonCall::text(const PyRef& object, const QString& what)
{
    const int isText = m_api.PyObject_IsInstance(object.get(), m_api.PyUnicode_Type);
    if (isText < 0)
        fail(what);
    if (isText == 0) {
        PyRef repr = check(m_api.PyObject_Repr(object.get()), what);
        throw PythonError { QStringLiteral("%1 is not a string: %2").arg(what, utf8(repr.get())) };
    }
    return utf8(object.get());
}

// Raw calls only: a failure here must not raise again.
QString PythonCall::formatException(PyObject* type, PyObject* value, PyObject* traceback)
{
    const PythonApi& py = m_api;
    PyRef module(py, py.PyImport_ImportModule("traceback"));
    PyRef format(py, module ? py.PyObject_GetAttrString(module.get(), "format_exception") : nullptr);
    PyRef args(py, format ? py.PyTuple_New(3) : nullptr);
    if (args) {
        PySize index = 0;
        for (PyObject* item : { type, value, traceback ? traceback : py.Py_None }) {
            py.Py_IncRef(item);
            py.PyTuple_SetItem(args.get(), index++, item);
        }
    }
    PyRef lines(py, args ? py.PyObject_CallObject(format.get(), args.get()) : nullptr);
    PyRef empty(py, lines ? py.PyUnicode_FromString("") : nullptr);
    PyRef text(py, empty ? py.PyUnicode_Join(empty.get(), lines.get()) : nullptr);
    if (!text)
        text = PyRef(py, py.PyObject_Repr(value));
    PyRef bytes(py, text ? py.PyUnicode_AsUTF8String(text.get()) : nullptr);
    char* buffer = nullptr;
    PySize length = 0;
    const bool readable = bytes && py.PyBytes_AsStringAndSize(bytes.get(), &buffer, &length) == 0;
    py.PyErr_Clear();
    return readable ? QString::fromUtf8(buffer, qsizetype(length)).trimmed()
                    : QStringLiteral("(the Python error cannot be shown)");
}

void PythonCall::fail(const QString& what)
{
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    m_api.PyErr_Fetch(&type, &value, &traceback);
    if (!type)
        throw PythonError { what };
    m_api.PyErr_NormalizeException(&type, &value, &traceback);
    PyRef t(m_api, type), v(m_api, value), b(m_api, traceback);
    const QString detail = formatException(type, value ? value : m_api.Py_None, traceback);
    throw PythonError { what + QStringLiteral(":\n") + detail };
}
