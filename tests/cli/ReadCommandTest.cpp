// The command-line tool's catdir, read and dump, run as a user runs them.

#include "catalog/CatFile.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace pellidor::test {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Pellidor(const QStringList& arguments)
{
    QProcess process;
    process.start(QString::fromStdString(BinDirectory() + "/pellidor"), arguments);
    Outcome outcome;
    if (!process.waitForFinished(60000))
        return outcome;
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

class ReadCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        volume_ = TestRoot() + "/volume";
        WriteFile(TestPath("volume/docs/a.txt"), "hello");
        WriteFile(TestPath("volume/top.txt"), "x");
        catalogs_ = TestRoot() + "/catalogs";
        WriteFile(TestRoot() + "/drives.table",
            volume_ + "\t2\tSTICK\tABCD1234\tFAT32\t1000\t500\t1\n" + TestRoot() + "/cdrom\t5\t\t0\t\t0\t0\t0\n");
    }
    std::size_t CatalogCount() const { return QDir(Q(catalogs_)).entryList(QDir::Files).size(); }

    std::string volume_;
    std::string catalogs_;
};

TEST_F(ReadCommandTest, CatdirSetsCreatesAndShowsTheDirectory)
{
    const Outcome unset = Pellidor({QStringLiteral("catdir")});
    EXPECT_NE(unset.status, 0);
    EXPECT_NE(unset.err.find("pellidor catdir DIR"), std::string::npos) << unset.err;

    const Outcome set = Pellidor({QStringLiteral("catdir"), Q(catalogs_ + "/nested/")});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, catalogs_ + "/nested\n");
    EXPECT_TRUE(QDir(Q(catalogs_ + "/nested")).exists());
    const Outcome shown = Pellidor({QStringLiteral("catdir")});
    EXPECT_EQ(shown.out, catalogs_ + "/nested\n");
}

TEST_F(ReadCommandTest, ReadPrintsTheNewCatalogAndDumpShowsIt)
{
    ASSERT_EQ(Pellidor({QStringLiteral("catdir"), Q(catalogs_)}).status, 0);
    const Outcome reading = Pellidor({QStringLiteral("read"), Q(volume_ + "/")});
    ASSERT_EQ(reading.status, 0) << reading.err;
    ASSERT_FALSE(reading.out.empty());
    const std::string catalog = reading.out.substr(0, reading.out.size() - 1);
    EXPECT_EQ(catalog.rfind(catalogs_ + "/", 0), 0u);
    EXPECT_EQ(catalog.substr(catalog.size() - 4), ".pld");

    const Outcome dump = Pellidor({QStringLiteral("dump"), QStringLiteral("--json"), Q(catalog)});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(dump.out)).object();
    const QJsonObject header = json.value(QStringLiteral("header")).toObject();
    EXPECT_EQ(header.value(QStringLiteral("volumeLabel")).toString(), QStringLiteral("STICK"));
    EXPECT_EQ(header.value(QStringLiteral("volumeSerial")).toInteger(), 0xABCD1234);
    EXPECT_EQ(header.value(QStringLiteral("driveType")).toInt(), 2);
    const QJsonArray lists = json.value(QStringLiteral("lists")).toArray();
    ASSERT_EQ(lists.size(), 2);
    EXPECT_EQ(lists[0].toObject().value(QStringLiteral("path")).toString(), QStringLiteral("\\"));
    EXPECT_EQ(lists[1].toObject().value(QStringLiteral("path")).toString(), QStringLiteral("\\docs"));
    const QJsonObject file = lists[1].toObject().value(QStringLiteral("entries")).toArray()[0].toObject();
    EXPECT_EQ(file.value(QStringLiteral("name")).toString(), QStringLiteral("a.txt"));
    EXPECT_EQ(file.value(QStringLiteral("size")).toInt(), 5);
    EXPECT_FALSE(json.value(QStringLiteral("damaged")).toBool());
}

TEST_F(ReadCommandTest, DumpOfAVolumeShowsWhatAReadingRecordsAndWhereItCameFrom)
{
    ASSERT_EQ(Pellidor({QStringLiteral("catdir"), Q(catalogs_)}).status, 0);
    const Outcome reading = Pellidor({QStringLiteral("read"), Q(volume_)});
    ASSERT_EQ(reading.status, 0) << reading.err;
    const Outcome catalog = Pellidor(
        {QStringLiteral("dump"), QStringLiteral("--json"), Q(reading.out.substr(0, reading.out.size() - 1))});
    const QJsonObject header = QJsonDocument::fromJson(QByteArray::fromStdString(catalog.out))
                                   .object()
                                   .value(QStringLiteral("header"))
                                   .toObject();

    const Outcome dump
        = Pellidor({QStringLiteral("dump"), QStringLiteral("--volume"), Q(volume_), QStringLiteral("--json")});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const QJsonObject volume = QJsonDocument::fromJson(QByteArray::fromStdString(dump.out))
                                   .object()
                                   .value(QStringLiteral("volume"))
                                   .toObject();
    EXPECT_EQ(volume.value(QStringLiteral("volumeSource")).toString(), QStringLiteral("table"));
    for (const char* key : {"volumeLabel", "volumeSerial", "fileSystemName", "driveType", "totalBytes", "freeBytes"}) {
        const QString name = QString::fromLatin1(key);
        EXPECT_EQ(volume.value(name), header.value(name)) << key;
    }
    const Outcome text = Pellidor({QStringLiteral("dump"), QStringLiteral("--volume"), Q(volume_ + "/docs")});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("VolumeLabel      docs\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("VolumeSource     table\n"), std::string::npos) << text.out;

    const Outcome notReady = Pellidor({QStringLiteral("dump"), QStringLiteral("--volume"), Q(TestRoot() + "/cdrom")});
    EXPECT_EQ(notReady.status, 1);
    EXPECT_NE(notReady.err.find("insert a medium"), std::string::npos) << notReady.err;
    EXPECT_EQ(Pellidor({QStringLiteral("dump"), QStringLiteral("--volume")}).status, 2);
    EXPECT_EQ(
        Pellidor({QStringLiteral("dump"), QStringLiteral("--volume"), Q(volume_), QStringLiteral("x.pld")}).status, 2);
}

TEST_F(ReadCommandTest, EachReasonNotToReadGetsItsOwnLineAndNoFile)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string path;
        const char* says;
    };
    const Case cases[] = {
        {"no catalog directory", [] {}, volume_, "pellidor catdir DIR"},
        {"catalog directory missing",
            [this] {
                ASSERT_EQ(Pellidor({QStringLiteral("catdir"), Q(catalogs_)}).status, 0);
                QDir(Q(catalogs_)).removeRecursively();
            },
            volume_, "does not exist"},
        {"drive not ready",
            [this] {
                ASSERT_EQ(Pellidor({QStringLiteral("catdir"), Q(catalogs_)}).status, 0);
            },
            TestRoot() + "/cdrom", "insert a medium"},
        {"no such folder", [] {}, TestRoot() + "/nowhere", "does not exist"},
    };
    for (const auto& c : cases) {
        c.arrange();
        const Outcome run = Pellidor({QStringLiteral("read"), Q(c.path)});
        EXPECT_NE(run.status, 0) << c.name;
        EXPECT_TRUE(run.out.empty()) << c.name;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(CatalogCount(), 0u) << c.name;
    }
}

TEST_F(ReadCommandTest, SigtermCancelsTheReadingAndLeavesNoFile)
{
    // A tree in memory, large enough that the reading outlasts the moment
    // its catalog file appears by far.
    char shm[] = "/dev/shm/pellidor-cli-XXXXXX";
    if (mkdtemp(shm) == nullptr)
        GTEST_SKIP() << "no /dev/shm";
    const std::string big = shm;
    struct Cleanup {
        std::string dir;
        ~Cleanup() { QDir(QString::fromStdString(dir)).removeRecursively(); }
    } cleanup{big};
    for (int folder = 0; folder < 400; ++folder) {
        const std::string path = big + "/folder" + std::to_string(folder);
        QDir().mkpath(Q(path));
        for (int file = 0; file < 150; ++file)
            WriteFile(path + "/file" + std::to_string(file), {});
    }
    ASSERT_EQ(Pellidor({QStringLiteral("catdir"), Q(catalogs_)}).status, 0);

    QFileSystemWatcher watcher({Q(catalogs_)});
    QProcess process;
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        if (CatalogCount() > 0)
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start(QString::fromStdString(BinDirectory() + "/pellidor"), {QStringLiteral("read"), Q(big)});
    loop.exec();
    EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();
    EXPECT_EQ(CatalogCount(), 0u);
}

TEST_F(ReadCommandTest, DumpReportsADamagedCatalogAsDamaged)
{
    ASSERT_EQ(Pellidor({QStringLiteral("catdir"), Q(catalogs_)}).status, 0);
    const Outcome reading = Pellidor({QStringLiteral("read"), Q(volume_)});
    ASSERT_EQ(reading.status, 0);
    const std::string catalog = reading.out.substr(0, reading.out.size() - 1);
    const std::string bytes = ReadFile(catalog);

    const std::string cut = TestRoot() + "/cut.pld";
    WriteFile(cut, bytes.substr(0, bytes.size() - 3));
    const Outcome damaged = Pellidor({QStringLiteral("dump"), Q(cut)});
    EXPECT_EQ(damaged.status, 3);
    EXPECT_NE(damaged.err.find("damaged"), std::string::npos) << damaged.err;

    const std::string garbage = TestRoot() + "/garbage.pld";
    WriteFile(garbage, std::string(2000, 'G'));
    const Outcome notCatalog = Pellidor({QStringLiteral("dump"), QStringLiteral("--json"), Q(garbage)});
    EXPECT_EQ(notCatalog.status, 3);
    EXPECT_NE(notCatalog.err.find("not a catalog"), std::string::npos) << notCatalog.err;

    const Outcome missing = Pellidor({QStringLiteral("dump"), Q(TestRoot() + "/missing.pld")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos) << missing.err;
}

} // namespace
} // namespace pellidor::test
