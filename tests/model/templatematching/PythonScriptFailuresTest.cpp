// The bridge against scripts that misbehave, in folders of the user's, with the library our own
// search finds.
#include "model/templatematching/PythonBridge.h"
#include "model/templatematching/ScriptRun.h"

#include "CapturedOutput.h"
#include "TestEnvironment.h"
#include "TestPython.h"

#include <gtest/gtest.h>

#include <QFile>

#include <chrono>
#include <thread>

namespace
{
// The template URL text tells the fake matcher how to behave.
const QByteArray fakeMatcher = R"(
import ctypes, os, sys, threading, time

class TemplateMatcher:
    def __init__(self, template_url, image_url):
        if "raise-init" in template_url: raise RuntimeError("refused " + image_url)
        self.mode, self.image = template_url, image_url

    def match_template(self, threshold):
        if self.mode == "raise-match": raise KeyError("in match_template")
        while self.mode == "loop": pass
        # Swallows every interrupt while the file the image names is there.
        while self.mode == "stubborn" and os.path.exists(self.image):
            try:
                time.sleep(0.01)
            except BaseException:
                pass
        # Native code that keeps the interpreter lock for as many seconds as the image names.
        if self.mode == "native": ctypes.PyDLL(None).sleep(int(self.image))
        where = "caller" if threading.current_thread() is threading.main_thread() else "worker"
        echo = "%r %s %d" % (threshold, where, sys.path.count(self.mode[5:]))
        self.json_file_name = {"number": 42, "plain": "/plain/path ü.json"}.get(self.mode, echo)
)";

// A scripts folder of the user's with the given matcher.
QString scriptsFolder(const QByteArray& matcher)
{
    const QString dir = TestEnvironment::makeTempDir();
    TestEnvironment::writeFile(dir + "/packageInstaller.py", "def checkPackage():\n    pass\n");
    TestEnvironment::writeFile(dir + "/templateMatcher.py", matcher);
    return dir;
}

// Cancels the run a moment after it began, then waits for it to unwind for a while at most.
struct CancellingWaiter : ScriptWaiter {
    bool gaveUp = false;
    void wait(ScriptRun& run) override
    {
        using namespace std::chrono_literals;
        std::this_thread::sleep_for(100ms);
        run.cancel();
        for (int k = 0; k < 100 && !run.isFinished(); ++k)
            std::this_thread::sleep_for(10ms);
        gaveUp = !run.isFinished();
    }
};
} // namespace

TEST(PythonScriptFailures, EachFailureIsAMessageAndTheProcessGoesOn)
{
    // A matcher of the same name already on the path: the chosen folder's comes first.
    const QString decoy = TestEnvironment::makeTempDir();
    TestEnvironment::writeFile(decoy + "/templateMatcher.py", "raise RuntimeError('the decoy ran')\n");
    setenv("PYTHONPATH", QFile::encodeName(decoy).constData(), 1);
    ASSERT_TRUE(TestPython::start(QString())); // our own search
    const QString scripts = scriptsFolder(fakeMatcher);

    QString error;
    // The threshold arrives unchanged, the script runs on a worker, and the folder is on the path once.
    EXPECT_EQ(getBoxes("echo:" + scripts, "file:///img.png", -0.09999999999999987, scripts, &error),
        QStringLiteral("-0.09999999999999987 worker 1"))
        << error.toStdString();
    for (int k = 0; k < 9; ++k)
        getBoxes("echo:" + scripts, "file:///img.png", 2.5, scripts);
    EXPECT_EQ(getBoxes("echo:" + scripts, "file:///img.png", 2.5, scripts), QStringLiteral("2.5 worker 1"));

    const std::tuple<QString, QString, QString> failures[] {
        { "raise-init", "templateMatcher.TemplateMatcher() failed:\nTraceback (most recent call last):",
            "RuntimeError: refused file:///img.png" },
        { "raise-match", "TemplateMatcher.match_template() failed:\nTraceback", "KeyError: 'in match_template'" },
        { "number", "TemplateMatcher.json_file_name is not a string: 42", "" }
    };
    for (const auto& [templateUrl, begins, ends] : failures) {
        CapturedOutput out;
        error.clear();
        EXPECT_FALSE(getBoxes(templateUrl, "file:///img.png", 0.6, scripts, &error));
        EXPECT_TRUE(error.contains(begins) && error.contains(ends)) << error.toStdString();
        EXPECT_EQ(out.text(), error.toStdString() + "\n");
    }

    // A module or a function that is missing.
    for (const char* expected :
        { "import the Python module jsonToCSV:\nModuleNotFoundError: No module named 'jsonToCSV'",
            "read jsonToCSV.JsonToCSV:\nAttributeError: module 'jsonToCSV' has no attribute 'JsonToCSV'" }) {
        EXPECT_FALSE(saveBoxes("/a.json", "/b.csv", scripts, &error));
        EXPECT_EQ(error, QStringLiteral("CSV export failed. Cannot ") + expected);
        TestEnvironment::writeFile(scripts + "/jsonToCSV.py", "class Other:\n    pass\n");
    }

    // A folder chosen later is the one used, the bundled one only while none is chosen.
    const QString other = scriptsFolder(QByteArray(fakeMatcher).replace("/plain/path ü.json", "other"));
    EXPECT_EQ(getBoxes("plain", "i", 0.6, other), QStringLiteral("other"));
    EXPECT_FALSE(getBoxes("file:///no.json", "file:///no.png", 0.6, QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral(KESTRUNE_PYTHON_DIR "/templateMatcher.py"))) << error.toStdString();
    EXPECT_EQ(getBoxes("plain", "i", 0.6, scripts), QString::fromUtf8("/plain/path ü.json"));

    // A looping script stops when cancelled; one that will not stop is left running.
    CancellingWaiter cancelling;
    EXPECT_FALSE(getBoxes("loop", "i", 0.6, scripts, &error, &cancelling));
    EXPECT_FALSE(cancelling.gaveUp);
    EXPECT_EQ(error, "The matching script was cancelled.");
    EXPECT_EQ(getBoxes("echo:" + scripts, "i", 0.5, scripts, &error), QStringLiteral("0.5 worker 1"));
    // Until it ends, no script starts and each call says so at once; then all works again.
    const QString running = TestEnvironment::writeFile(TestEnvironment::makeTempDir() + "/running");
    for (const auto& [mode, image] : { std::pair { "stubborn", running }, { "native", QStringLiteral("2") } }) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(getBoxes(mode, image, 0.6, scripts, &error, &cancelling));
        EXPECT_TRUE(cancelling.gaveUp);
        EXPECT_TRUE(error.startsWith("The matching script did not stop when it was cancelled.")) << error.toStdString();
        EXPECT_FALSE(getBoxes("plain", "i", 0.6, scripts, &error));
        EXPECT_EQ(error,
            "Template matching failed: the previous script is still running, so nothing was started. Try again "
            "when it has finished.");
        EXPECT_FALSE(saveBoxes("/a.json", "/b.csv", scripts, &error));
        EXPECT_TRUE(error.startsWith("CSV export failed: the previous script is still running")) << error.toStdString();
        QFile::remove(running);
        std::optional<QString> after;
        for (int k = 0; k < 100 && !after; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            CapturedOutput quiet;
            after = getBoxes("plain", "i", 0.6, scripts);
        }
        EXPECT_EQ(after, QString::fromUtf8("/plain/path ü.json"));
    }
    EXPECT_FALSE(PythonRuntime::instance().loadedLibrary().isEmpty());
}
