#include "model/templatematching/PythonBridge.h"

#include "model/templatematching/PythonRuntime.h"
#include "viewmodel/MatchSetting.h"

#include <iostream>
#include <thread>

namespace
{
QString report(const QString& message, QString* error)
{
    std::cout << message.toStdString() << std::endl;
    if (error)
        *error = message;
    return message;
}

// Runs work with the lock held; the failure's message, or nothing.
template <class F> std::optional<QString> underLock(const PythonApi& api, F&& work)
{
    PythonGil gil(api);
    try {
        PythonCall py(api);
        work(py);
        return std::nullopt;
    } catch (const PythonError& failure) {
        return failure.message;
    }
}

const PythonApi* interpreter(const QString& what, QString* error)
{
    QString reason;
    const PythonApi* api = PythonRuntime::instance().api(&reason);
    if (!api)
        report(what + QStringLiteral(": ") + reason, error);
    return api;
}

// One stretch of work under the lock; false, with the failure reported, when it fails.
template <class F> bool callPython(const QString& what, QString* error, F&& work)
{
    const PythonApi* api = interpreter(what, error);
    if (!api)
        return false;
    const std::optional<QString> failure = underLock(*api, std::forward<F>(work));
    if (failure)
        report(what + QStringLiteral(". ") + *failure, error);
    return !failure;
}
} // namespace

std::optional<QString> getBoxes(const QString& templateUrlText, const QString& imageUrlText, double threshold,
    const MatchSetting& settings, QString* error)
{
    const QString what = QStringLiteral("Template matching failed");
    const PythonApi* api = interpreter(what, error);
    if (!api)
        return std::nullopt;
    const QString scripts = settings.pythonLibrary.get();

    // The matcher lives across the three stretches; the last one releases it, under the lock.
    PyRef matcher;
    std::optional<QString> failure = underLock(*api, [&](PythonCall& py) {
        py.appendToSearchPath(scripts);
        py.call(py.attr(py.import("packageInstaller"), "checkPackage", QStringLiteral("packageInstaller")), {},
            QStringLiteral("packageInstaller.checkPackage() failed"));
        PyRef type = py.attr(py.import("templateMatcher"), "TemplateMatcher", QStringLiteral("templateMatcher"));
        PyRef templateUrl = py.string(templateUrlText);
        PyRef imageUrl = py.string(imageUrlText);
        matcher
            = py.call(type, { &templateUrl, &imageUrl }, QStringLiteral("templateMatcher.TemplateMatcher() failed"));
    });

    if (!failure) {
        // The caller holds no lock while it waits, so the worker can take it.
        std::thread worker([&] {
            failure = underLock(*api, [&](PythonCall& py) {
                PyRef value = py.number(threshold);
                py.call(py.attr(matcher, "match_template", QStringLiteral("TemplateMatcher")), { &value },
                    QStringLiteral("TemplateMatcher.match_template() failed"));
            });
        });
        worker.join();
    }

    QString path;
    const std::optional<QString> finish = underLock(*api, [&](PythonCall& py) {
        const PyRef instance = std::move(matcher);
        if (failure)
            return;
        const QString name = QStringLiteral("TemplateMatcher.json_file_name");
        path = py.text(py.attr(instance, "json_file_name", QStringLiteral("TemplateMatcher")), name);
    });
    if (!failure)
        failure = finish;
    if (failure) {
        report(what + QStringLiteral(". ") + *failure, error);
        return std::nullopt;
    }
    return path;
}

bool saveBoxes(const QString& jsonPath, const QString& csvPath, const QString& scriptsFolder, QString* error)
{
    return callPython(QStringLiteral("CSV export failed"), error, [&](PythonCall& py) {
        py.appendToSearchPath(scriptsFolder);
        PyRef type = py.attr(py.import("jsonToCSV"), "JsonToCSV", QStringLiteral("jsonToCSV"));
        PyRef json = py.string(jsonPath);
        PyRef converter = py.call(type, { &json }, QStringLiteral("jsonToCSV.JsonToCSV() failed"));
        PyRef csv = py.string(csvPath);
        py.call(py.attr(converter, "save_dataframe", QStringLiteral("JsonToCSV")), { &csv },
            QStringLiteral("JsonToCSV.save_dataframe() failed"));
    });
}

std::optional<QString> pythonExecutable(QString* error)
{
    QString executable;
    const bool done = callPython(QStringLiteral("Cannot ask Python for its executable"), error, [&](PythonCall& py) {
        PyRef value = py.attr(py.import("sys"), "executable", QStringLiteral("sys"));
        const PythonApi& api = *PythonRuntime::instance().api();
        if (api.PyObject_IsInstance(value.get(), api.PyUnicode_Type) == 1)
            executable = py.text(value, QStringLiteral("sys.executable"));
        api.PyErr_Clear();
    });
    return done ? std::optional(executable) : std::nullopt;
}
