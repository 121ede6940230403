// catalog_fuzz_seeds DIRECTORY: writes the catalog fuzzer's seeds, the
// fixture catalogs the tests use, into DIRECTORY, so that fuzzing starts
// from every shape the tests know: sound trees, a version-1 header, a real
// writer's icon block, and the damage the walks must survive. Built on
// demand, like the artwork (what each seed is: tests/fuzz/README.md):
//
//     cmake --build --preset default --target catalog_fuzz_seeds
//     build/default/bin/catalog_fuzz_seeds tests/fuzz/corpus/catalog

#include "catalog/CatFile.h"
#include "tests/catalog/CatalogFixture.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using namespace pellidor;
using namespace pellidor::test;

class QuietProgress final : public IReadProgress {
public:
    bool IsCancelled() const override { return cancelled_; }
    void SetCancelled() override { cancelled_ = true; }
    void ShowPath(const std::string&) override { }

private:
    bool cancelled_ = false;
};

bool Write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

// What CCatFile::Create writes, icons and all, for the tree of the corrupt
// catalog tests (CorruptCatalogTest's NestedCatalog) on the drive of the
// catalog tests' drive table; empty when it cannot be written.
std::string CreatedCatalog()
{
    const QTemporaryDir world;
    const std::string base = world.path().toStdString();
    const std::string root = base + "/volume";
    for (const char* file : {"a/b/c/deep.txt", "a/one.txt", "d/two.txt", "top.txt"}) {
        const std::string path = root + "/" + file;
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
        if (!Write(path, "x"))
            return {};
    }
    const std::string drives = base + "/drives.table";
    if (!Write(drives, root + "\t5\tMYDISC\t1234ABCD\tCDFS\t700000000\t0\t1\n"))
        return {};
    setenv("PELLIDOR_DRIVES", drives.c_str(), 1);
    const std::string catalog = base + "/created.pld";
    {
        QuietProgress progress;
        CCatFile file;
        if (!file.Create(root, catalog, progress))
            return {};
    }
    std::ifstream in(catalog, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: catalog_fuzz_seeds DIRECTORY\n", stderr);
        return 2;
    }
    const std::string directory = argv[1];
    QDir().mkpath(QString::fromStdString(directory));
    std::vector<std::pair<std::string, std::string>> seeds;
    // The export test's tree: nesting, a 4 GiB - 1 size, hidden and system
    // files, a folder without a list.
    seeds.emplace_back("nested.pld",
        CatalogWriter().Build(TestVolume{},
            {File("first.txt", 0), Folder("Docs", {Folder("Sub", {File("deep.iso", 0xFFFFFFFFu)}), File("a.doc", 7)}),
                File("hidden.sys", 2147483648u, kAttrHidden | kAttrSystem), Folder("Empty", {}, false)}));
    for (const auto& linked : LinkedBackCatalogs())
        seeds.emplace_back(std::string(linked.name) + ".pld", CatalogWriter().Build(TestVolume{}, linked.root));
    seeds.emplace_back("NegativeCount.pld",
        CatalogWriter().Build(TestVolume{},
            {CountedFolder("Negative", {File("one.txt"), File("two.txt")}, 0x80000000u),
                Folder("After", {File("three.txt")}), File("top.txt")}));
    seeds.emplace_back("version1.pld", Version1Catalog());
    seeds.emplace_back("created.pld", CreatedCatalog());
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty() || !Write(directory + "/" + name, bytes)) {
            std::fprintf(stderr, "catalog_fuzz_seeds: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
