// What a catalog write that cannot finish leaves behind (nothing), and what
// a folder that cannot be read leaves in its parent's list. Both run the
// writer in a process of its own: one with a file-size limit, so writing
// stops after N bytes as on a full disk; one as an unprivileged user, since
// root can read every folder. Only root can switch to that user: without
// root those cases skip themselves.

#include "catalog/CatFile.h"
#include "tests/catalog/CatalogFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QProcess>

#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace pellidor::test {
namespace {

constexpr int kNobody = 65534;

int RunHelper(const QStringList& arguments)
{
    QProcess helper;
    helper.start(QString::fromStdString(BinDirectory() + "/catalog_write_helper"), arguments);
    if (!helper.waitForFinished(60000) || helper.exitStatus() != QProcess::NormalExit)
        return -1;
    return helper.exitCode();
}

class CatFileFailureTest : public CatalogTest {
protected:
    void MakeTree()
    {
        for (int folder = 0; folder < 20; ++folder) {
            for (int file = 0; file < 20; ++file)
                Make("folder" + std::to_string(folder) + "/file" + std::to_string(file) + ".txt", "x");
        }
    }
    std::string target() const { return catalogs_ + "/limited.pld"; }
};

// Cases that run the writer as nobody, which only root can switch to.
class UnprivilegedWriterTest : public CatFileFailureTest {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "the writer runs as nobody, and only root can switch to another user";
        CatFileFailureTest::SetUp();
    }
};

// The limits fall in the header (832 bytes), in the icon block, early in the
// walk, and near its end; the catalog of this tree is about 20 KB.
class WriteLimitTest : public CatFileFailureTest, public testing::WithParamInterface<unsigned> { };

TEST_P(WriteLimitTest, WriteErrorLeavesNoFile)
{
    MakeTree();
    const QString limit = QString::number(GetParam());
    EXPECT_EQ(RunHelper({QString::fromStdString(tree_), QString::fromStdString(target()),
                  QStringLiteral("--file-size-limit"), limit}),
        1);
    EXPECT_TRUE(CatalogFiles().empty()) << "limit " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Limits, WriteLimitTest, testing::Values(0u, 100u, 831u, 1000u, 2000u, 4096u, 12000u));

// A header write that stops part way, as on a full disk, puts back the
// bytes it had written: the limits fall before, inside and after the name.
class HeaderWriteLimitTest : public CatFileFailureTest, public testing::WithParamInterface<unsigned> { };

TEST_P(HeaderWriteLimitTest, FailedHeaderWriteLeavesTheCatalogAsItWas)
{
    MakeTree();
    ASSERT_EQ(RunHelper({QString::fromStdString(tree_), QString::fromStdString(target())}), 0);
    const std::string before = ReadFile(target());
    EXPECT_EQ(RunHelper({QStringLiteral("--set-name"), QString::fromStdString(target()), QString(200, QLatin1Char('n')),
                  QStringLiteral("--file-size-limit"), QString::number(GetParam())}),
        1);
    EXPECT_EQ(ReadFile(target()), before) << "limit " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Limits, HeaderWriteLimitTest, testing::Values(100u, 320u, 400u, 831u));

TEST_F(CatFileFailureTest, WithoutALimitTheSameHelperWritesTheCatalog)
{
    MakeTree();
    EXPECT_EQ(RunHelper({QString::fromStdString(tree_), QString::fromStdString(target()),
                  QStringLiteral("--file-size-limit"), QStringLiteral("100000000")}),
        0);
    EXPECT_EQ(ReadList(target(), kRootList).size(), 20u);
}

TEST_F(UnprivilegedWriterTest, UnreadableFolderKeepsNoListAndItsSiblingsAreRead)
{
    Make("a-open/inside.txt", "x");
    const std::string locked = Make("b-locked/secret.txt", "x");
    Make("c-open/inside.txt", "x");
    // The unprivileged writer must reach the tree and write the catalog.
    ASSERT_EQ(chmod(TestRoot().c_str(), 0755), 0);
    ASSERT_EQ(chmod(catalogs_.c_str(), 0777), 0);
    ASSERT_EQ(chmod((tree_ + "/b-locked").c_str(), 0), 0);
    ASSERT_EQ(RunHelper({QString::fromStdString(tree_), QString::fromStdString(target()), QStringLiteral("--user"),
                  QString::number(kNobody)}),
        0);
    std::map<std::string, CatRecord> byName;
    for (const auto& record : ReadList(target(), kRootList))
        byName[record.Name] = record;
    ASSERT_EQ(byName.size(), 3u);
    EXPECT_EQ(byName["b-locked"].Size, kNoList);
    EXPECT_TRUE(ReadList(target(), kNoList).empty());
    EXPECT_EQ(ReadList(target(), byName["a-open"].Size).size(), 1u);
    EXPECT_EQ(ReadList(target(), byName["c-open"].Size).size(), 1u);
}

TEST_F(UnprivilegedWriterTest, UnreadableVolumeRootHasNoRootList)
{
    Make("inside.txt", "x");
    ASSERT_EQ(chmod(TestRoot().c_str(), 0755), 0);
    ASSERT_EQ(chmod(catalogs_.c_str(), 0777), 0);
    ASSERT_EQ(chmod(tree_.c_str(), 0), 0);
    ASSERT_EQ(RunHelper({QString::fromStdString(tree_), QString::fromStdString(target()), QStringLiteral("--user"),
                  QString::number(kNobody)}),
        0);
    CCatFile file;
    ASSERT_TRUE(file.Open(target(), CCatFile::OpenMode::Read));
    EXPECT_EQ(file.Header().RootListOffset, 0u);
}

} // namespace
} // namespace pellidor::test
