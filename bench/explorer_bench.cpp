// The explorer's start and the expansion of a big junction, timed in-process
// with the test server as the junction's extension.
//
//   explorer_bench BIN_DIR [RUNS]
//
// Start: from StartExplorer (moves at start, registry, window, My Computer
// listed with its drives and junctions) until the window has been shown and
// its events processed, for 2, 20 and 200 drives. Expand: the junction's
// node expanded in the tree until its children are in the model, for 1,000
// to 8,000 children. Each figure is the median of RUNS warm runs (one untimed
// run first). Everything lives in a temporary directory of its own.

#include "host/explorer/ExplorerWindow.h"
#include "host/explorer/NamespaceModel.h"
#include "host/explorer/ShellRegistry.h"
#include "host/explorer/Startup.h"
#include "platform/com/Guid.h"
#include "platform/registry/Registry.h"
#include "platform/shell/NamespaceIds.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using platform::registry::Hive;
using platform::registry::Key;

const CLSID kJunction = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xA0, 0x01);

void SetDefault(Hive hive, const std::string& path, const std::string& value)
{
    Key key;
    key.Create(hive, path);
    key.SetString("", value);
}

void Register(const std::string& binDir)
{
    const std::string clsid = platform::com::FormatGuid(kJunction);
    SetDefault(Hive::ClassesRoot, "CLSID\\" + clsid, "Bench Junction");
    SetDefault(Hive::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32", binDir + "/TestServer.so");
    SetDefault(Hive::LocalMachine, std::string(host::explorer::kDesktopNamespaceKey) + "\\" + clsid, "Bench");
    SetDefault(Hive::LocalMachine, std::string(host::explorer::kMyComputerNamespaceKey) + "\\" + clsid, "Bench");
}

void SetChildren(DWORD count)
{
    Key key;
    key.Create(Hive::ClassesRoot, "CLSID\\" + platform::com::FormatGuid(kJunction) + "\\TestServer");
    key.SetDword("Children", count);
}

void WriteDrives(const std::string& root, int count)
{
    std::ofstream table(root + "/drives.table", std::ios::trunc);
    for (int i = 0; i < count; ++i) {
        const std::string drive = root + "/drives/d" + std::to_string(i);
        QDir().mkpath(QString::fromStdString(drive));
        table << drive << "\t" << (i % 2 == 0 ? 5 : 2) << "\tDRIVE " << i << "\t0\tFAT32\t1000\t10\t1\n";
    }
}

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimeStart()
{
    const auto begin = Clock::now();
    auto window = host::explorer::StartExplorer({});
    window->show();
    QApplication::processEvents();
    const double elapsed = Milliseconds(Clock::now() - begin);
    if (window->Location() != platform::shell::MyComputerIdList())
        std::fprintf(stderr, "explorer_bench: the window did not open at My Computer\n");
    return elapsed;
}

double TimeExpand(host::explorer::ExplorerWindow& window, int children)
{
    using host::explorer::NamespaceItem;
    host::explorer::NamespaceModel* model = window.Model();
    NamespaceItem* junction = model->Find(platform::shell::DesktopJunctionIdList(kJunction), true);
    if (junction == nullptr)
        return -1;
    window.Tree()->collapse(model->indexFromItem(junction));
    // Unread again, so that expanding reads it as a first expansion does.
    junction->removeRows(0, junction->rowCount());
    junction->populated = false;
    junction->mayHaveChildren = true;
    const auto begin = Clock::now();
    window.Tree()->expand(model->indexFromItem(junction));
    while (junction->rowCount() < children)
        QApplication::processEvents();
    QApplication::processEvents();
    return Milliseconds(Clock::now() - begin);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: explorer_bench BIN_DIR [RUNS]\n", stderr);
        return 2;
    }
    const std::string binDir = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("PELLIDOR_DRIVES", (root + "/drives.table").c_str(), 1);
    QApplication app(argc, argv);
    Register(binDir);

    std::printf("| What | Size | Median ms |\n|---|---|---|\n");
    for (int drives : {2, 20, 200}) {
        WriteDrives(root, drives);
        TimeStart();
        std::vector<double> times;
        for (int run = 0; run < runs; ++run)
            times.push_back(TimeStart());
        std::printf("| start at My Computer | %d drives | %.1f |\n", drives, Median(times));
    }
    WriteDrives(root, 2);
    host::explorer::ExplorerWindow window;
    window.show();
    window.Navigate(platform::shell::MyComputerIdList());
    for (int children : {1000, 2000, 4000, 8000}) {
        SetChildren(static_cast<DWORD>(children));
        TimeExpand(window, children);
        std::vector<double> times;
        for (int run = 0; run < runs; ++run)
            times.push_back(TimeExpand(window, children));
        std::printf("| expand a junction | %d children | %.1f |\n", children, Median(times));
    }
    return 0;
}
