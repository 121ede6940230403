// Opening the shelf's node in the explorer: the installed library, found
// through the registry Setup's steps wrote, lists a catalog directory of
// 250 to 4,000 catalogs.
//
//   explorer_shelf_bench BIN_DIR [RUNS]
//
// One catalog is read from a small tree with `pellidor read`, then copied
// under as many names as needed. Timed: the shelf's node under My Computer
// read from scratch (as its first expansion reads it) until every catalog
// is in the model. Each figure is the median of RUNS warm runs after one
// untimed run.

#include "host/explorer/ExplorerWindow.h"
#include "host/explorer/NamespaceModel.h"
#include "platform/com/Guid.h"
#include "platform/shell/NamespaceIds.h"
#include "setup/Installer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const CLSID kShelf = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The catalog directory holds exactly `count` copies of `catalog`.
void FillShelf(const QString& catalog, const QString& directory, int count)
{
    QDir dir(directory);
    for (const QString& name : dir.entryList({QStringLiteral("*.pld")}, QDir::Files))
        dir.remove(name);
    for (int i = 0; i < count; ++i)
        QFile::copy(catalog, dir.filePath(QString::number(0x10000000 + i, 16).toUpper() + QStringLiteral(".pld")));
}

double TimeOpen(host::explorer::ExplorerWindow& window, int count)
{
    using host::explorer::NamespaceItem;
    host::explorer::NamespaceModel* model = window.Model();
    NamespaceItem* shelf = model->Find(platform::shell::MyComputerJunctionIdList(kShelf), true);
    if (shelf == nullptr)
        return -1;
    window.Tree()->collapse(model->indexFromItem(shelf));
    shelf->removeRows(0, shelf->rowCount());
    shelf->populated = false;
    shelf->mayHaveChildren = true;
    const auto begin = Clock::now();
    window.Tree()->expand(model->indexFromItem(shelf));
    while (shelf->rowCount() < count)
        QApplication::processEvents();
    QApplication::processEvents();
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: explorer_shelf_bench BIN_DIR [RUNS]\n", stderr);
        return 2;
    }
    const std::string binDir = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("PELLIDOR_DRIVES", (root + "/drives.table").c_str(), 1);
    QApplication app(argc, argv);

    setup::CInstaller installer(binDir);
    installer.State().catalogDirectory = root + "/catalogs";
    installer.State().iconInMyComputer = true;
    if (!installer.Install()) {
        std::fprintf(stderr, "explorer_shelf_bench: %s: %s\n", installer.State().actionText.c_str(),
            installer.State().errorText.c_str());
        return 1;
    }
    const QString volume = QString::fromStdString(root + "/volume");
    QDir().mkpath(volume + QStringLiteral("/docs"));
    QProcess read;
    read.start(QString::fromStdString(binDir + "/pellidor"), {QStringLiteral("read"), volume});
    if (!read.waitForFinished(60000) || read.exitCode() != 0)
        return 1;
    const QString catalog = QString::fromUtf8(read.readAllStandardOutput()).trimmed();
    const QString sample = QString::fromStdString(root + "/sample.pld");
    QFile::rename(catalog, sample);

    host::explorer::ExplorerWindow window;
    window.show();
    window.Navigate(platform::shell::MyComputerIdList());
    std::printf("| What | Size | Median ms |\n|---|---|---|\n");
    for (int count : {250, 500, 1000, 2000, 4000}) {
        FillShelf(sample, QString::fromStdString(installer.State().catalogDirectory), count);
        TimeOpen(window, count);
        std::vector<double> times;
        for (int run = 0; run < runs; ++run)
            times.push_back(TimeOpen(window, count));
        std::printf("| open the shelf's node | %d catalogs | %.1f |\n", count, Median(times));
    }
    return 0;
}
