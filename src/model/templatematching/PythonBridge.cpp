#include "model/templatematching/PythonBridge.h"

#include "model/templatematching/PythonRuntime.h"
#include "model/templatematching/ScriptRun.h"

#include <iostream>

namespace
{
QString report(const QString& message, QString* error)
{
    std::cout << message.toStdString() << std::endl;
    if (error)
        *error = message;
    return message;
}

const PythonApi* interpreter(const QString& what, QString* error)
{
    QString reason;
    const PythonApi* api = PythonRuntime::instance().api(&reason);
    if (!api)
        report(what + QStringLiteral(": ") + reason, error);
    return api;
}

// The folder whose scripts are imported; only touched under the interpreter lock.
QString scriptsInUse;

// The chosen folder's scripts, not those of a folder chosen before or of the bundled folder: the
// folder comes first on sys.path (once), and the modules are imported again after a change.
void useScripts(PythonCall& py, const QString& chosen)
{
    const QString folder = chosen.isEmpty() ? QStringLiteral(KESTRUNE_PYTHON_DIR) : chosen;
    const PyRef sys = py.import("sys");
    const PyRef path = py.attr(sys, "path", QStringLiteral("sys"));
    const PyRef count = py.attr(path, "count", QStringLiteral("sys.path"));
    const PyRef remove = py.attr(path, "remove", QStringLiteral("sys.path"));
    for (const QString& entry : { scriptsInUse, folder }) {
        if (entry.isEmpty())
            continue;
        const PyRef text = py.string(entry);
        const QString what = QStringLiteral("Cannot change sys.path");
        for (long n = py.integerOf(py.call(count, { &text }, what), what); n > 0; --n)
            py.call(remove, { &text }, what);
    }
    const PyRef first = py.integer(0);
    const PyRef entry = py.string(folder);
    py.call(py.attr(path, "insert", QStringLiteral("sys.path")), { &first, &entry },
        QStringLiteral("Cannot change sys.path"));
    if (scriptsInUse == folder)
        return;
    const PyRef pop = py.attr(py.attr(sys, "modules", QStringLiteral("sys")), "pop", QStringLiteral("sys.modules"));
    const PyRef none = py.none();
    for (const char* module : { "packageInstaller", "templateMatcher", "jsonToCSV" }) {
        const PyRef name = py.string(QString::fromLatin1(module));
        py.call(pop, { &name, &none }, QStringLiteral("Cannot change sys.modules"));
    }
    scriptsInUse = folder;
}

class BlockingWaiter : public ScriptWaiter
{
public:
    void wait(ScriptRun& run) override { run.waitUntilFinished(); }
};

// A cancelled run that did not stop. While it lasts no other run starts: one stuck in native code
// holds the interpreter lock, and a new run would wait for it with the window blocked.
std::shared_ptr<ScriptRun> leftRunning;

bool stillRunning() { return leftRunning && !leftRunning->isFinished(); }

// Runs work on a worker thread while the waiter waits; false, with the failure reported, when it
// fails, is cancelled, is left running, or cannot start because an earlier run is still going.
bool runScript(const QString& what, const QString& stopped, QString* error, ScriptWaiter* waiter, ScriptRun::Work work)
{
    if (stillRunning()) {
        report(what
                + QStringLiteral(": the previous script is still running, so nothing was started. Try again "
                                 "when it has finished."),
            error);
        return false;
    }
    leftRunning.reset();
    const PythonApi* api = interpreter(what, error);
    if (!api)
        return false;
    const auto run = ScriptRun::start(*api, std::move(work));
    BlockingWaiter blocking;
    (waiter ? waiter : &blocking)->wait(*run);
    if (!run->isFinished()) {
        leftRunning = run;
        report(stopped
                + QStringLiteral(" did not stop when it was cancelled. It was left running, and whatever it "
                                 "does now is not used."),
            error);
        return false;
    }
    // A run that finished its work counts, even when Cancel came too late to stop it.
    const auto failure = run->failure();
    if (!failure)
        return true;
    report(run->isCancelled() ? stopped + QStringLiteral(" was cancelled.") : what + QStringLiteral(". ") + *failure,
        error);
    return false;
}
} // namespace

std::optional<QString> getBoxes(const QString& templateUrlText, const QString& imageUrlText, double threshold,
    const QString& scriptsFolder, QString* error, ScriptWaiter* waiter)
{
    // Shared with the worker, which may outlive this call when it is left running.
    auto path = std::make_shared<QString>();
    const bool done = runScript(QStringLiteral("Template matching failed"), QStringLiteral("The matching script"),
        error, waiter, [=](PythonCall& py) {
            useScripts(py, scriptsFolder);
            py.call(py.attr(py.import("packageInstaller"), "checkPackage", QStringLiteral("packageInstaller")), {},
                QStringLiteral("packageInstaller.checkPackage() failed"));
            const PyRef type
                = py.attr(py.import("templateMatcher"), "TemplateMatcher", QStringLiteral("templateMatcher"));
            const PyRef templateUrl = py.string(templateUrlText);
            const PyRef imageUrl = py.string(imageUrlText);
            const PyRef matcher = py.call(
                type, { &templateUrl, &imageUrl }, QStringLiteral("templateMatcher.TemplateMatcher() failed"));
            const PyRef value = py.number(threshold);
            py.call(py.attr(matcher, "match_template", QStringLiteral("TemplateMatcher")), { &value },
                QStringLiteral("TemplateMatcher.match_template() failed"));
            *path = py.text(py.attr(matcher, "json_file_name", QStringLiteral("TemplateMatcher")),
                QStringLiteral("TemplateMatcher.json_file_name"));
        });
    return done ? std::optional(*path) : std::nullopt;
}

bool saveBoxes(
    const QString& jsonPath, const QString& csvPath, const QString& scriptsFolder, QString* error, ScriptWaiter* waiter)
{
    return runScript(QStringLiteral("CSV export failed"), QStringLiteral("The CSV conversion script"), error, waiter,
        [=](PythonCall& py) {
            useScripts(py, scriptsFolder);
            const PyRef type = py.attr(py.import("jsonToCSV"), "JsonToCSV", QStringLiteral("jsonToCSV"));
            const PyRef json = py.string(jsonPath);
            const PyRef converter = py.call(type, { &json }, QStringLiteral("jsonToCSV.JsonToCSV() failed"));
            const PyRef csv = py.string(csvPath);
            py.call(py.attr(converter, "save_dataframe", QStringLiteral("JsonToCSV")), { &csv },
                QStringLiteral("JsonToCSV.save_dataframe() failed"));
        });
}

std::optional<QString> pythonExecutable(QString* error)
{
    // It never changes, and once known it is never waited for behind a script left running.
    static std::optional<QString> known;
    if (known)
        return known;
    const QString what = QStringLiteral("Cannot ask Python for its executable");
    if (stillRunning()) {
        report(what + QStringLiteral(": a script is still running."), error);
        return std::nullopt;
    }
    const PythonApi* api = interpreter(what, error);
    if (!api)
        return std::nullopt;
    PythonGil gil(*api);
    try {
        PythonCall py(*api);
        const PyRef value = py.attr(py.import("sys"), "executable", QStringLiteral("sys"));
        const bool isText = api->PyObject_IsInstance(value.get(), api->PyUnicode_Type) == 1;
        api->PyErr_Clear();
        known = isText ? py.text(value, QStringLiteral("sys.executable")) : QString();
        return known;
    } catch (const PythonError& failure) {
        report(what + QStringLiteral(". ") + failure.message, error);
        return std::nullopt;
    }
}
