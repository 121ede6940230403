// rundll32: its command line, the call of the entry, unloading, and the
// shell's execute that starts it.

#include "host/rundll32/RunDll.h"
#include "platform/com/ShellTypes.h"
#include "platform/shell/Execute.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <algorithm>
#include <string>
#include <vector>

using pellidor::test::BinDirectory;
using pellidor::test::TestPath;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string errors;
    std::vector<std::string> log;
};

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RunDll : public testing::Test {
protected:
    static std::string Library() { return BinDirectory() + "/RunDllTarget.so"; }

    // The library copied to a path with blanks and commas in it.
    static std::string AwkwardLibrary()
    {
        const std::string path = TestPath("shelf, old/my discs/Run Dll,Target.so");
        EXPECT_TRUE(QFile::copy(QString::fromStdString(Library()), QString::fromStdString(path)));
        return path;
    }

    Outcome Run(const QStringList& arguments, const QString& unload = QStringLiteral("yes")) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("RUNDLL_TARGET_LOG"), QString::fromStdString(logPath_));
        environment.insert(QStringLiteral("RUNDLL_TARGET_UNLOAD"), unload);
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(BinDirectory() + "/rundll32"), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        Outcome outcome;
        if (process.exitStatus() == QProcess::NormalExit)
            outcome.exitCode = process.exitCode();
        outcome.errors = process.readAllStandardError().toStdString();
        outcome.log = Log();
        return outcome;
    }

    std::vector<std::string> Log() const
    {
        if (!QFile::exists(QString::fromStdString(logPath_)))
            return {};
        return pellidor::test::SplitLines(pellidor::test::ReadFile(logPath_));
    }

    const std::string logPath_ = TestPath("log.txt");
};

QStringList Arguments(std::initializer_list<std::string> texts)
{
    QStringList list;
    for (const std::string& text : texts)
        list.append(QString::fromStdString(text));
    return list;
}

} // namespace

TEST_F(RunDll, TheEntryGetsItsArgumentsItsModuleAndShowNormalThenTheLibraryIsUnloaded)
{
    const Outcome outcome = Run(Arguments({Library() + ",Record", "one", "two three"}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::vector<std::string> expected{
        "window=none module=own show=1 args=[one two three]", "asked: idle", "unloaded while running"};
    EXPECT_EQ(outcome.log, expected);
}

// As the shell's execute hands it (one argument), quoted in a shell, and
// unquoted as a shell splits it at the blanks.
TEST_F(RunDll, ALibraryPathWithBlanksAndCommasWorksInEveryForm)
{
    const std::string library = AwkwardLibrary();
    const QString command = QString::fromStdString(library + ",Record");
    const std::vector<QStringList> forms{
        {command + QStringLiteral(" x,y z")},
        {command, QStringLiteral("x,y"), QStringLiteral("z")},
        command.split(QLatin1Char(' ')) + QStringList{QStringLiteral("x,y"), QStringLiteral("z")},
    };
    for (const QStringList& form : forms) {
        QFile::remove(QString::fromStdString(logPath_));
        const Outcome outcome = Run(form);
        EXPECT_EQ(outcome.exitCode, 0) << form.join(QLatin1Char('|')).toStdString() << "\n" << outcome.errors;
        ASSERT_FALSE(outcome.log.empty()) << form.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(outcome.log.front(), "window=none module=own show=1 args=[x,y z]")
            << form.join(QLatin1Char('|')).toStdString();
    }
}

TEST_F(RunDll, ALibraryThatSaysItIsInUseStaysLoadedUntilTheProcessEnds)
{
    const Outcome outcome = Run(Arguments({Library() + ",Record"}), QStringLiteral("no"));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::vector<std::string> expected{"window=none module=own show=1 args=[]", "asked: busy", "unloaded at exit"};
    EXPECT_EQ(outcome.log, expected);
}

TEST_F(RunDll, WindowsTheEntryLeavesOpenAreServedUntilTheyCloseBeforeTheLibraryGoes)
{
    const Outcome outcome = Run(Arguments({Library() + ",LeaveWindow"}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::vector<std::string> expected{"window closed", "asked: idle", "unloaded while running"};
    EXPECT_EQ(outcome.log, expected);
}

struct BadCommand {
    const char* name;
    std::vector<std::string> arguments; // "LIB" stands for the test library
    int exitCode;
    const char* message;
};

class RunDllBadCommand : public RunDll, public testing::WithParamInterface<BadCommand> { };

TEST_P(RunDllBadCommand, SaysWhatIsWrongAndCallsNothing)
{
    QStringList arguments;
    for (std::string text : GetParam().arguments) {
        if (const auto at = text.find("LIB"); at != std::string::npos)
            text.replace(at, 3, Library());
        arguments.append(QString::fromStdString(text));
    }
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.exitCode, GetParam().exitCode);
    EXPECT_NE(outcome.errors.find(GetParam().message), std::string::npos) << outcome.errors;
    EXPECT_FALSE(Contains(outcome.log, "asked: idle")) << "nothing was called";
    EXPECT_TRUE(std::none_of(
        outcome.log.begin(), outcome.log.end(), [](const std::string& line) { return line.rfind("window=", 0) == 0; }));
}

INSTANTIATE_TEST_SUITE_P(Commands, RunDllBadCommand,
    testing::Values(BadCommand{"NoArguments", {}, 2, "usage: rundll32 LIBRARY,ENTRY [ARGS]"},
        BadCommand{"NoComma", {"LIB"}, 2, "expected LIBRARY,ENTRY"},
        BadCommand{"NoLibrary", {",Record"}, 2, "no library before the comma"},
        BadCommand{"NoEntry", {"LIB,", "x"}, 2, "no entry after the comma"},
        BadCommand{"MissingLibrary", {"/nowhere/Missing.so,Record"}, 1, "cannot load /nowhere/Missing.so"},
        BadCommand{"MissingEntry", {"LIB,NoSuchEntry"}, 1, "has no entry NoSuchEntry"}),
    [](const testing::TestParamInfo<BadCommand>& param) { return std::string(param.param.name); });

TEST(RunDllCommand, TheLibraryIsTheTextBeforeTheLastCommaAndTheEntryEndsAtABlank)
{
    std::string error;
    const auto one = host::rundll32::ParseCommand(
        {QStringLiteral("/x/a,b.so,Entry  first second"), QStringLiteral("third")}, error);
    ASSERT_TRUE(one.has_value()) << error;
    EXPECT_EQ(one->library, "/x/a,b.so");
    EXPECT_EQ(one->entry, "Entry");
    EXPECT_EQ(one->arguments, "first second third");

    // Nothing there to prefer: the first argument with a comma ends it.
    const auto split = host::rundll32::ParseCommand(
        {QStringLiteral("/nowhere/my"), QStringLiteral("lib.so,Entry"), QStringLiteral("1,2")}, error);
    ASSERT_TRUE(split.has_value()) << error;
    EXPECT_EQ(split->library, "/nowhere/my lib.so");
    EXPECT_EQ(split->entry, "Entry");
    EXPECT_EQ(split->arguments, "1,2");
}

TEST_F(RunDll, TheShellsExecuteStartsThePlatformsOwnProgramWithTheWholeParameterText)
{
    const std::string parameters = AwkwardLibrary() + ",Record a b";
    qputenv("RUNDLL_TARGET_LOG", QByteArray::fromStdString(logPath_));
    qputenv("RUNDLL_TARGET_UNLOAD", "yes");
    EXPECT_GT(platform::shell::ShellExecute(nullptr, nullptr, "rundll32", parameters, "", SW_SHOW), 32);
    const QDeadlineTimer deadline(30000);
    while (!Contains(Log(), "unloaded while running") && !deadline.hasExpired())
        QThread::msleep(20);
    const std::vector<std::string> expected{
        "window=none module=own show=1 args=[a b]", "asked: idle", "unloaded while running"};
    EXPECT_EQ(Log(), expected);
    qunsetenv("RUNDLL_TARGET_LOG");
    qunsetenv("RUNDLL_TARGET_UNLOAD");
}
