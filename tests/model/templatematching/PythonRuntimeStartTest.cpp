// Python starts once per process, so each case runs in a child process of its own: this program again,
// told the case by an environment variable.
#include "model/templatematching/PythonBridge.h"

#include "TestPython.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace
{
constexpr char caseVariable[] = "KESTRUNE_START_CASE";

// In the child, whether it is to run this case. In the parent, false: the case runs in a child, with
// variable set to value, which must end as a passing test does.
bool runsHere(const char* name, const char* variable = nullptr, const QString& value = {})
{
    if (qEnvironmentVariableIsSet(caseVariable))
        return qgetenv(caseVariable) == name;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(caseVariable, name);
    if (variable)
        environment.insert(variable, value);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name()) });
    if (!child.waitForFinished(20000))
        child.kill(), child.waitForFinished();
    EXPECT_TRUE(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        << name << ": the child ended with " << child.exitCode() << "\n"
        << child.readAll().right(4000).toStdString();
    return false;
}
} // namespace

TEST(PythonRuntimeStart, EachFailureSaysWhyAndNothingEnds)
{
    const QString library = TestPython::debianLibrary;
    const QString script = QStringLiteral(KESTRUNE_PYTHON_DIR "/templateMatcher.py");
    const auto escaped = [](const QString& text) { return QRegularExpression::escape(text); };
    const QString prefix = QStringLiteral("^Cannot load the Python library ");
    const struct {
        const char* name;
        QString library;
        QString pythonHome;
        QString reason; // a pattern
    } rows[] = {
        { "wrong path", "/no/such/folder/libpython3.11.so.1.0", {},
            prefix + "/no/such/folder/libpython3\\.11\\.so\\.1\\.0: .*No such file or directory$" },
        { "no library", script, {}, prefix + escaped(script) + ": .*(invalid ELF header|file too short)$" },
        { "missing home", library, "/no/such/folder",
            "^The Python interpreter of " + escaped(library)
                + " did not start \\(init_fs_encoding: .+\\)\\. PYTHONHOME is set to /no/such/folder\\.$" },
        { "10 MB path", QStringLiteral("a/").repeated(5'000'000) + "libpython3.11.so.1.0", {},
            prefix + "(a/)+…(a/)+libpython3\\.11\\.so\\.1\\.0: the path is longer than 4095 bytes$" },
        { "NUL", library + QChar(0) + "x", {},
            prefix + escaped(library + "\\0x") + ": the path contains a NUL character$" },
        { "long name", "/tmp/" + QString(300, 'n') + "/libpython3.11.so.1.0", {},
            prefix + "/tmp/n+…n+/libpython3\\.11\\.so\\.1\\.0: a name in the path is longer than 255 bytes$" },
    };
    for (const auto& row : rows) {
        if (!runsHere(row.name, row.pythonHome.isEmpty() ? nullptr : "PYTHONHOME", row.pythonHome))
            continue;
        ASSERT_TRUE(TestPython::start(row.library));
        QString reason;
        EXPECT_EQ(PythonRuntime::instance().api(&reason), nullptr);
        EXPECT_TRUE(reason.size() < 400 && QRegularExpression(row.reason).match(reason).hasMatch())
            << reason.left(1000).toStdString();

        // The program goes on, and every later call fails at once with the same reason.
        QString error;
        EXPECT_FALSE(getBoxes("file:///t.json", "file:///i.png", 0.6, QString(), &error));
        EXPECT_EQ(error, "Template matching failed: " + reason);
        EXPECT_FALSE(saveBoxes("/t.json", "/t.csv", QString(), &error));
        EXPECT_EQ(error, "CSV export failed: " + reason);
        EXPECT_FALSE(pythonExecutable(&error));
        EXPECT_TRUE(error.endsWith(reason));
        // The choice was made; a later one is ignored.
        EXPECT_FALSE(PythonRuntime::instance().selectLibrary(TestPython::debianLibrary));
        EXPECT_TRUE(PythonRuntime::instance().loadedLibrary().isEmpty());
    }
}

TEST(PythonRuntimeStart, KeepsTheProgramsSignalHandlersAndHonoursPythonPath)
{
    if (!runsHere("start", "PYTHONPATH", QStringLiteral("/own/modules")))
        return;
    const auto handlers = [] {
        std::vector<sighandler_t> all;
        for (int signal = 1; signal < NSIG; ++signal) {
            struct sigaction action {
            };
            sigaction(signal, nullptr, &action);
            all.push_back(action.sa_handler);
        }
        return all;
    };
    // Python would take SIGINT, still at its default here, and ignore SIGPIPE.
    std::signal(SIGXFSZ, SIG_IGN);
    const auto before = handlers();
    ASSERT_TRUE(TestPython::start());
    const PythonApi* api = PythonRuntime::instance().api();
    ASSERT_TRUE(api);
    EXPECT_EQ(handlers(), before);

    PythonGil gil(*api);
    PythonCall py(*api);
    const PyRef path = py.attr(py.import("sys"), "path", QStringLiteral("sys"));
    EXPECT_TRUE(
        py.text(PyRef(*api, api->PyObject_Str(path.get())), QStringLiteral("sys.path")).contains("/own/modules"));
}
