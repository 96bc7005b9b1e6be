// The bridge against scripts that misbehave, in a folder of the user's, with the library our own
// search finds.
#include "model/templatematching/PythonBridge.h"
#include "model/templatematching/PythonRuntime.h"
#include "viewmodel/MatchSetting.h"

#include "CapturedOutput.h"
#include "TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
void write(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// The template URL text tells the fake matcher how to behave.
const QByteArray fakeMatcher = R"(
import sys, threading

class TemplateMatcher:
    def __init__(self, template_url, image_url):
        if "raise-init" in template_url:
            raise RuntimeError("refused " + image_url)
        self.mode = template_url
        self.json_file_name = None

    def match_template(self, threshold):
        if "raise-match" in self.mode:
            raise KeyError("in match_template")
        if "number" in self.mode:
            self.json_file_name = 42
        elif "echo" in self.mode:
            worker = threading.current_thread() is not threading.main_thread()
            self.json_file_name = "%r %s %d" % (threshold, "worker" if worker else "caller", sys.path.count(self.mode[5:]))
        else:
            self.json_file_name = "/plain/path ü.json"
)";

} // namespace

TEST(PythonScriptFailures, EachFailureIsAMessageAndTheProcessGoesOn)
{
    setenv("PYTHONDONTWRITEBYTECODE", "1", 1);
    ASSERT_TRUE(PythonRuntime::instance().selectLibrary(QString())); // our own search
    const QString scripts = TestEnvironment::makeTempDir();
    write(scripts + "/packageInstaller.py", "def checkPackage():\n    pass\n");
    write(scripts + "/templateMatcher.py", fakeMatcher);
    MatchSetting settings;
    settings.pythonLibrary.set(scripts);

    QString error;
    auto result = getBoxes("echo:" + scripts, "file:///img.png", -0.09999999999999987, settings, &error);
    ASSERT_TRUE(result) << error.toStdString();
    // The threshold arrives unchanged, match_template runs on the worker, and the folder is appended each call.
    EXPECT_EQ(*result, "-0.09999999999999987 worker 1");
    for (int k = 0; k < 9; ++k)
        result = getBoxes("echo:" + scripts, "file:///img.png", 2.5, settings, &error);
    EXPECT_EQ(result, QStringLiteral("2.5 worker 10"));
    EXPECT_EQ(getBoxes("plain", "i", 0.6, settings), QString::fromUtf8("/plain/path ü.json"));

    const struct {
        QString templateUrl;
        QString expected;
    } failures[] {
        { "raise-init", "templateMatcher.TemplateMatcher() failed:\nTraceback (most recent call last):" },
        { "raise-init", "RuntimeError: refused file:///img.png" },
        { "raise-match", "TemplateMatcher.match_template() failed:\nTraceback" },
        { "raise-match", "KeyError: 'in match_template'" },
        { "number", "TemplateMatcher.json_file_name is not a string: 42" },
    };
    for (const auto& failure : failures) {
        CapturedOutput out;
        error.clear();
        EXPECT_FALSE(getBoxes(failure.templateUrl, "file:///img.png", 0.6, settings, &error));
        EXPECT_TRUE(error.contains(failure.expected)) << error.toStdString();
        EXPECT_EQ(out.text(), error.toStdString() + "\n");
    }

    // A module or a function that is missing.
    EXPECT_FALSE(saveBoxes("/a.json", "/b.csv", scripts, &error));
    EXPECT_EQ(error,
        "CSV export failed. Cannot import the Python module jsonToCSV:\n"
        "ModuleNotFoundError: No module named 'jsonToCSV'");
    write(scripts + "/jsonToCSV.py", "class Other:\n    pass\n");
    EXPECT_FALSE(saveBoxes("/a.json", "/b.csv", scripts, &error));
    EXPECT_EQ(error,
        "CSV export failed. Cannot read jsonToCSV.JsonToCSV:\n"
        "AttributeError: module 'jsonToCSV' has no attribute 'JsonToCSV'");

    // Still alive and well.
    EXPECT_EQ(getBoxes("plain", "i", 0.6, settings), QString::fromUtf8("/plain/path ü.json"));
    EXPECT_FALSE(PythonRuntime::instance().loadedLibrary().isEmpty());
}
