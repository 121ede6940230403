// pellidor find, run as a user runs it, over catalogs read from small trees.

#include "catalog/CatFile.h"
#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <csignal>
#include <string>
#include <utime.h>
#include <vector>

namespace pellidor {
namespace {

constexpr int kPatienceMs = 60000; // only a hung program ever waits this long

class QuietProgress final : public IReadProgress {
public:
    bool IsCancelled() const override { return false; }
    void SetCancelled() override { }
    void ShowPath(const std::string&) override { }
};

struct FindRun {
    int status = -1;
    std::string out;
    std::string err;
};

QStringList ToArguments(const std::vector<std::string>& arguments)
{
    QStringList list{QStringLiteral("find")};
    for (const auto& argument : arguments)
        list << QString::fromStdString(argument);
    return list;
}

QString Program()
{
    return QString::fromStdString(test::BinDirectory() + "/pellidor");
}

// The first field of every result line, header left out.
std::vector<std::string> Names(const std::string& out)
{
    std::vector<std::string> names;
    const auto lines = test::SplitLines(out);
    for (std::size_t i = 1; i < lines.size(); ++i)
        names.push_back(lines[i].substr(0, lines[i].find('\t')));
    std::sort(names.begin(), names.end());
    return names;
}

class FindCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        catDir_ = test::TestRoot() + "/shelf";
        test::UseCatalogDirectory(catDir_);
    }

    // A file of `size` bytes changed at `changed` (local "yyyy-MM-dd HH:mm"),
    // or a folder ("name/"), in volumes/`volume`.
    void MakeEntry(const std::string& volume, const std::string& relative, long size = 1, const char* changed = nullptr)
    {
        const std::string path = test::TestPath("volumes/" + volume + "/" + relative);
        if (relative.back() == '/') {
            QDir().mkpath(QString::fromStdString(path));
            return;
        }
        test::WriteFile(path, std::string(static_cast<std::size_t>(size), 'x'));
        if (changed != nullptr) {
            const auto time = QDateTime::fromString(QString::fromUtf8(changed), QStringLiteral("yyyy-MM-dd HH:mm"));
            const utimbuf times{time.toSecsSinceEpoch(), time.toSecsSinceEpoch()};
            ASSERT_EQ(utime(path.c_str(), &times), 0);
        }
    }

    void MakeCatalog(const std::string& volume, const std::string& shelfPath)
    {
        const std::string catalog = catDir_ + "/" + shelfPath;
        QDir().mkpath(QString::fromStdString(catalog.substr(0, catalog.rfind('/'))));
        QuietProgress progress;
        CCatFile file;
        ASSERT_TRUE(file.Create(test::TestRoot() + "/volumes/" + volume, catalog, progress)) << catalog;
    }

    FindRun Find(const std::vector<std::string>& arguments)
    {
        QProcess process;
        process.start(Program(), ToArguments(arguments));
        FindRun run;
        if (!process.waitForFinished(kPatienceMs))
            return run;
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput().toStdString();
        run.err = process.readAllStandardError().toStdString();
        return run;
    }

    std::string catDir_;
};

TEST_F(FindCommandTest, PrintsTheSevenColumnsOfEveryMatch)
{
    MakeEntry("disc", "docs/");
    MakeEntry("disc", "docs/Annual Report.pdf", 1025);
    MakeEntry("disc", "notes.txt");
    MakeCatalog("disc", "disc.pld");

    const FindRun run = Find({"report"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = test::SplitLines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0], "Name\tTotal Size\tType\tDate\tAttribute\tVolume\tIn Folder");
    EXPECT_EQ(lines[1].substr(0, lines[1].find('\t', lines[1].find('\t') + 1)), "Annual Report.pdf\t2 KB");
    EXPECT_EQ(lines[1].substr(lines[1].rfind('\t')), "\tdocs");
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), '\t'), 6);
    EXPECT_TRUE(run.err.empty()) << run.err;

    const FindRun all = Find({});
    EXPECT_EQ(Names(all.out), (std::vector<std::string>{"Annual Report.pdf", "docs", "notes.txt"}));
}

TEST_F(FindCommandTest, JsonGivesOneObjectPerMatchKeyedByColumn)
{
    MakeEntry("disc", "a/");
    MakeEntry("disc", "a/tab\there.txt");
    MakeEntry("disc", "quote\"d.txt");
    MakeCatalog("disc", "disc.pld");

    const FindRun run = Find({"--json", "--type", ".txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    ASSERT_TRUE(document.isArray());
    QStringList names;
    for (const auto& value : document.array()) {
        const QJsonObject object = value.toObject();
        EXPECT_EQ(object.size(), 7);
        names << object.value(QStringLiteral("Name")).toString();
        if (object.value(QStringLiteral("Name")).toString().startsWith(QStringLiteral("tab"))) {
            EXPECT_EQ(object.value(QStringLiteral("In Folder")).toString(), QStringLiteral("a"));
        }
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("quote\"d.txt"), QStringLiteral("tab\there.txt")}));

    const FindRun none = Find({"--json", "nothing-like-this"});
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(none.out)).array().size(), 0) << none.out;
    // Tab-separated output keeps a name's tab from splitting its line.
    const FindRun tsv = Find({"tab"});
    EXPECT_EQ(Names(tsv.out), std::vector<std::string>{"tab\\there.txt"});
}

TEST_F(FindCommandTest, OptionsSetTheCriteria)
{
    MakeEntry("disc", "small.htm", 1000, "2020-03-10 12:00");
    MakeEntry("disc", "large.HTML", 5000, "2020-03-12 09:30");
    MakeEntry("disc", "other.txt", 3000, "2020-03-11 00:00");
    MakeEntry("disc", "README", 0, "2021-01-01 00:00");
    MakeEntry("disc", "-dash", 0, "2021-01-01 00:00");
    MakeCatalog("disc", "disc.pld");
    MakeEntry("inner", "inner.htm", 10, "2020-03-10 12:00");
    MakeCatalog("inner", "Sub/inner.pld");

    using NameList = std::vector<std::string>;
    EXPECT_EQ(Names(Find({"--type", ".htm;.html"}).out), (NameList{"inner.htm", "large.HTML", "small.htm"}));
    EXPECT_EQ(Names(Find({"--type", ".htm;.html", "--no-subfolders"}).out), (NameList{"large.HTML", "small.htm"}));
    EXPECT_EQ(Names(Find({"--in", "Sub"}).out), (NameList{"inner.htm"}));
    EXPECT_EQ(Names(Find({"--type", ".*", "--min", "3"}).out), (NameList{"large.HTML"}));
    EXPECT_EQ(Names(Find({"--type", ".*", "--min", "2"}).out), (NameList{"large.HTML", "other.txt"}));
    EXPECT_EQ(Names(Find({"--max", "0"}).out), (NameList{"-dash", "README"}));
    EXPECT_EQ(Names(Find({"--", "-DA"}).out), (NameList{"-dash"}));
    EXPECT_EQ(Names(Find({"--changed", "--between", "2020-03-10 12:00", "2020-03-11 00:00"}).out),
        (NameList{"inner.htm", "other.txt", "small.htm"}));
    EXPECT_EQ(
        Names(Find({"--between", "2020-03-10 12:01", "2020-03-12 09:30"}).out), (NameList{"large.HTML", "other.txt"}));
    // Everything here is years old; the folder-less volume root has no date.
    EXPECT_EQ(Names(Find({"--days", "30"}).out), NameList{});
    EXPECT_EQ(Names(Find({"--accessed", "--months", "999"}).out).size(), 6u);
}

// Every bad value: one line on stderr, nothing on stdout, a failing status.
TEST_F(FindCommandTest, BadOptionValuesAreRefusedInOneLine)
{
    MakeEntry("disc", "a.txt");
    MakeCatalog("disc", "disc.pld");
    const std::vector<std::vector<std::string>> cases = {{"--days", "0"}, {"--days", "1000"}, {"--months", "x"},
        {"--days"}, {"--min"}, {"--min", "-1"}, {"--max", "4294967296"}, {"--min", "1", "--max", "2"},
        {"--between", "2020-01-01 00:00"}, {"--between", "2020-13-01 00:00", "2020-12-01 00:00"},
        {"--between", "2020-02-01 00:00", "2020-01-01 00:00"}, {"--days", "1", "--months", "1"}, {"--changed"},
        {"--created", "--accessed", "--days", "1"}, {"--type", ""}, {"--type", ".a;;.b"}, {"--type", ".a;"}, {"--in"},
        {"--in", "No Such Folder"}, {"--bogus"}, {"one", "two"}, {"one", "--", "two"}};
    for (const auto& arguments : cases) {
        const FindRun run = Find(arguments);
        std::string shown;
        for (const auto& argument : arguments)
            shown += argument + ' ';
        EXPECT_NE(run.status, 0) << shown;
        EXPECT_TRUE(run.out.empty()) << shown << run.out;
        EXPECT_EQ(test::SplitLines(run.err).size(), 1u) << shown << run.err;
    }
}

// The output is far more than a pipe holds, so the program cannot finish
// before the test reads it all: the interrupt lands while it searches.
TEST_F(FindCommandTest, InterruptStopsTheSearchAndKeepsWhatWasPrinted)
{
    constexpr int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i)
        MakeEntry("big", "d" + std::to_string(i % 40) + "/hit-" + std::string(60, 'x') + std::to_string(i));
    MakeCatalog("big", "big.pld");

    QProcess process;
    process.start(Program(), ToArguments({"hit"}));
    ASSERT_TRUE(process.waitForStarted(kPatienceMs));
    // The header is printed after the interrupt handler is in place.
    while (!process.canReadLine())
        ASSERT_TRUE(process.waitForReadyRead(kPatienceMs));
    ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
    ASSERT_TRUE(process.waitForFinished(kPatienceMs));

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    const std::string out = process.readAllStandardOutput().toStdString();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), '\n');
    const auto lines = test::SplitLines(out);
    EXPECT_GT(lines.size(), 1u);
    EXPECT_LT(lines.size(), static_cast<std::size_t>(kFiles) + 1);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 6) << lines[i];
}

} // namespace
} // namespace pellidor
