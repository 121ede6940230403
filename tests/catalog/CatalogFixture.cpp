#include "tests/catalog/CatalogFixture.h"

#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

namespace pellidor::test {

std::uint32_t U32At(const std::string& bytes, std::size_t at)
{
    if (at + 4 > bytes.size()) {
        ADD_FAILURE() << "read of 4 bytes at " << at << " past the end " << bytes.size();
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

RawList ParseList(const std::string& bytes, std::uint32_t offset)
{
    RawList list;
    list.offset = offset;
    const std::uint32_t count = U32At(bytes, offset);
    std::size_t at = offset + 4;
    for (std::uint32_t i = 0; i < count && at + 21 <= bytes.size(); ++i) {
        RawEntry entry;
        entry.attributes = U32At(bytes, at);
        entry.creationTime = static_cast<std::int32_t>(U32At(bytes, at + 4));
        entry.lastAccessTime = static_cast<std::int32_t>(U32At(bytes, at + 8));
        entry.lastWriteTime = static_cast<std::int32_t>(U32At(bytes, at + 12));
        entry.size = U32At(bytes, at + 16);
        const std::size_t length = static_cast<unsigned char>(bytes[at + 20]);
        EXPECT_LE(at + 21 + length, bytes.size());
        entry.name = bytes.substr(at + 21, length);
        at += 21 + length;
        list.entries.push_back(entry);
    }
    EXPECT_EQ(list.entries.size(), count) << "list at " << offset;
    return list;
}

void CatalogTest::SetUp()
{
    tree_ = TestPath("tree/");
    tree_.pop_back();
    catalogs_ = TestPath("catalogs/");
    catalogs_.pop_back();
    SetCatalogDirectory(catalogs_);
    WriteDriveTable(tree_ + "\t5\tMYDISC\t1234ABCD\tCDFS\t700000000\t0\t1\n");
}

std::string CatalogTest::Make(const std::string& relative, const std::string& content)
{
    const std::string path = tree_ + "/" + relative;
    if (!relative.empty() && relative.back() == '/') {
        QDir().mkpath(QString::fromStdString(path));
        return path.substr(0, path.size() - 1);
    }
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    WriteFile(path, content);
    return path;
}

void CatalogTest::SetCatalogDirectory(const std::string& directory)
{
    UseCatalogDirectory(directory);
}

void CatalogTest::WriteDriveTable(const std::string& lines)
{
    WriteFile(TestRoot() + "/drives.table", lines);
}

std::string CatalogTest::CreateCatalog(const std::string& root, RecordingProgress& progress)
{
    CCatFile file;
    if (!file.Create(root, {}, progress))
        return {};
    return file.Path();
}

std::string CatalogTest::CreateCatalog(const std::string& root)
{
    RecordingProgress progress;
    return CreateCatalog(root, progress);
}

std::vector<CatRecord> CatalogTest::ReadList(const std::string& catalog, DWORD offset)
{
    std::vector<CatRecord> records;
    CCatFile file;
    file.SetPath(catalog);
    CatRecord record;
    for (bool more = file.ReadFirst(offset, &record); more; more = file.ReadNext(&record))
        records.push_back(record);
    return records;
}

std::vector<std::string> CatalogTest::CatalogFiles() const
{
    std::vector<std::string> files;
    for (const QString& name : QDir(QString::fromStdString(catalogs_)).entryList(QDir::Files | QDir::Hidden))
        files.push_back(name.toStdString());
    return files;
}

} // namespace pellidor::test
