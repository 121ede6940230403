// The views over big folders, in-process on the offscreen platform.
//
//   views_bench [WORK_DIR] [RUNS]
//
// Catalog view: a volume of one folder holding 10,000, 30,000 and 100,000
// entries (5 % sub-folders, the rest sparse files of many types, sizes and
// dates) is read into a catalog by the reader itself. Its folder's children
// are loaded first (timed apart); then the catalog view is made through the
// folder's CreateViewObject and CreateViewWindow in a small browser, and
// timed until its list has painted its first screen, in each of the four
// modes. In details mode the list is then sorted by each of its five
// columns, each sort timed until the list has painted again. Memory: the
// heap in use (mallinfo2: the arena's blocks in use and the blocks mapped
// on their own, which large arrays get) and the resident set
// (/proc/self/statm) just before the view is made, with the children
// loaded, and after its first screen and the five sorts, in the first run
// of each size; the view's share is the difference.
//
// Shelf view: a catalog directory of 1,000 catalogs, timed from a fresh
// shelf root's CreateViewObject until the list has painted (the fill reads
// every catalog's header), and again over a root whose children are loaded.
//
// Each figure is the median of RUNS runs after one untimed run. WORK_DIR
// (default /dev/shm/pellidor-views-bench) holds the volumes; it is kept.

#include "catalog/CatFile.h"
#include "items/ShelfFolder.h"
#include "namespace/CatFolder.h"
#include "namespace/FolderViews.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Guid.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/registry/Registry.h"
#include "platform/shell/NamespaceIds.h"
#include "views/FolderViewMaker.h"
#include "views/ViewList.h"
#include "views/ViewWnd.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using pellidor::CCatFolder;
using pellidor::CShelfFolder;
using pellidor::CViewList;
using pellidor::CViewWnd;
using platform::com::ComPtr;

const CLSID kShelf = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
constexpr int kColumns = 5;
const char* const kModeNames[] = {"", "large icons", "small icons", "list", "details"};

// Wall time and the process's CPU time: on a machine shared with other
// work the wall time grows with the load, the CPU time much less.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() : wall_(Clock::now()), cpu_(CpuNow()) { }
    Timing Elapsed() const
    {
        return {std::chrono::duration<double, std::milli>(Clock::now() - wall_).count(), CpuNow() - cpu_};
    }

private:
    static double CpuNow()
    {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    }
    Clock::time_point wall_;
    double cpu_;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// "wall ms | CPU ms", each the median of its own.
std::string Medians(const std::vector<Timing>& timings)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Timing& timing : timings) {
        wall.push_back(timing.wall);
        cpu.push_back(timing.cpu);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.1f | %.1f", Median(wall), Median(cpu));
    return text;
}

struct Memory {
    double heapMb;
    double rssMb;
};

Memory MemoryNow()
{
    const struct mallinfo2 info = mallinfo2();
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    const double page = static_cast<double>(sysconf(_SC_PAGESIZE));
    return {static_cast<double>(info.uordblks + info.hblkhd) / 1e6, static_cast<double>(resident) * page / 1e6};
}

// The part of the Explorer a view talks to: a window to live in, nothing
// more.
class BenchBrowser : public platform::com::ComImplements<platform::com::ComObject, IShellBrowser> {
public:
    BenchBrowser() { window_.resize(1024, 700); }
    QWidget& Window() { return window_; }

    HRESULT GetWindow(HWND* out) override
    {
        *out = &window_;
        return S_OK;
    }
    HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT InsertMenusSB(HMENU, void*) override { return S_OK; }
    HRESULT SetMenuSB(HMENU, void*, HWND) override { return S_OK; }
    HRESULT RemoveMenusSB(HMENU) override { return S_OK; }
    HRESULT SetStatusTextSB(const WCHAR*) override { return S_OK; }
    HRESULT EnableModelessSB(BOOL) override { return S_OK; }
    HRESULT TranslateAcceleratorSB(void*, WORD) override { return E_NOTIMPL; }
    HRESULT BrowseObject(LPCITEMIDLIST, UINT) override { return E_NOTIMPL; }
    HRESULT GetViewStateStream(DWORD, IUnknown**) override { return E_NOTIMPL; }
    HRESULT GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    HRESULT SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) override
    {
        if (result != nullptr)
            *result = 0;
        return S_OK;
    }
    HRESULT QueryActiveShellView(IShellView**) override { return E_NOTIMPL; }
    HRESULT OnViewWindowActive(IShellView*) override { return S_OK; }
    HRESULT SetToolbarItems(void*, UINT, UINT) override { return S_OK; }

protected:
    ~BenchBrowser() override = default;

private:
    QWidget window_;
};

// Notes when a face's viewport has painted.
class PaintWatch : public QObject {
public:
    void Watch(QAbstractItemView* face)
    {
        painted_ = false;
        face->viewport()->installEventFilter(this);
    }
    // Processes events until the watched viewport has painted.
    void Wait()
    {
        while (!painted_)
            QApplication::processEvents();
    }
    void Reset() { painted_ = false; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    bool painted_ = false;
};

class NoProgress final : public pellidor::IReadProgress {
public:
    bool IsCancelled() const override { return false; }
    void SetCancelled() override { }
    void ShowPath(const std::string&) override { }
};

// One folder of `count` entries: sub-folders and sparse files with names,
// types, sizes and dates drawn from a fixed seed.
void MakeVolume(const std::string& root, int count)
{
    static const char* const kWords[] = {"report", "Holiday", "scan", "track", "invoice", "DSC", "notes", "backup",
        "Übersicht", "draft", "letter", "song", "photo", "data", "readme", "setup"};
    static const char* const kTypes[] = {".txt", ".jpg", ".pdf", ".mp3", ".doc", ".png", ".zip", ".c", ".h", ".html",
        ".ogg", ".iso", ".xml", ".csv", ".tar.gz", ".odt", ".flac", ".avi", ".exe", ""};
    QDir().mkpath(QString::fromStdString(root));
    std::mt19937 random(1);
    for (int i = 0; i < count; ++i) {
        std::string name = kWords[random() % std::size(kWords)];
        name += " " + std::to_string(random() % 100000) + "_" + std::to_string(i);
        const std::string path = root + "/" + name;
        const timespec when = {static_cast<time_t>(1104537600 + random() % 630720000), 0};
        const timespec times[2] = {when, when};
        if (random() % 20 == 0) {
            mkdir(path.c_str(), 0755);
        } else {
            const std::string file = path + kTypes[random() % std::size(kTypes)];
            const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                if (ftruncate(fd, static_cast<off_t>(random() % (64u << 20))) != 0)
                    std::perror("ftruncate");
                futimens(fd, times);
                close(fd);
            }
            continue;
        }
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

void UseCatalogDirectory(const std::string& directory)
{
    QDir().mkpath(QString::fromStdString(directory));
    platform::registry::Key key;
    key.Create(platform::registry::Hive::LocalMachine, pellidor::kCatDirKey);
    key.SetString("", directory);
}

ComPtr<CShelfFolder> ShelfRoot()
{
    const std::vector<BYTE> root = platform::shell::MyComputerJunctionIdList(kShelf);
    auto shelf = platform::com::MakeCom<CShelfFolder>();
    shelf->Initialize(reinterpret_cast<LPCITEMIDLIST>(root.data()));
    return shelf;
}

// The window of a view made through the folder, or null.
struct OpenView {
    ComPtr<IShellView> view;
    CViewWnd* window = nullptr;

    void Close()
    {
        if (view)
            view->DestroyViewWindow();
        view = nullptr;
        window = nullptr;
    }
};

OpenView MakeView(IShellFolder& folder, BenchBrowser& browser, UINT mode)
{
    OpenView open;
    if (FAILED(folder.CreateViewObject(nullptr, IShellView::kIid, open.view.ReceiveVoid())))
        return open;
    FOLDERSETTINGS settings;
    settings.ViewMode = mode;
    const QSize size = browser.Window().size();
    RECT rect{0, 0, size.width(), size.height()};
    HWND window = nullptr;
    if (open.view->CreateViewWindow(nullptr, &settings, &browser, &rect, &window) == S_OK)
        open.window = dynamic_cast<CViewWnd*>(window);
    return open;
}

// Opens the view and waits for its first screen; the time taken.
Timing TimeFirstScreen(IShellFolder& folder, BenchBrowser& browser, UINT mode, OpenView* out)
{
    PaintWatch watch;
    const Stopwatch stopwatch;
    OpenView open = MakeView(folder, browser, mode);
    if (open.window == nullptr)
        std::exit(1);
    watch.Watch(open.window->List().CurrentFace());
    watch.Wait();
    const Timing taken = stopwatch.Elapsed();
    if (out != nullptr)
        *out = open;
    else
        open.Close();
    return taken;
}

Timing TimeSort(CViewList& list, int column)
{
    PaintWatch watch;
    watch.Watch(list.CurrentFace());
    const Stopwatch stopwatch;
    list.Sort(column);
    watch.Wait();
    return stopwatch.Elapsed();
}

void BenchCatalog(const std::string& work, int count, int runs, BenchBrowser& browser)
{
    const std::string volume = work + "/volume-" + std::to_string(count);
    if (!QDir(QString::fromStdString(volume)).exists())
        MakeVolume(volume, count);
    const std::string catalogs = work + "/catalogs-" + std::to_string(count);
    UseCatalogDirectory(catalogs);
    const std::string catalog = catalogs + "/00000001.pld";
    if (!QFile::exists(QString::fromStdString(catalog))) {
        pellidor::CCatFile file;
        NoProgress progress;
        if (!file.Create(volume, catalog, progress)) {
            std::fprintf(stderr, "views_bench: reading %s failed\n", volume.c_str());
            std::exit(1);
        }
    }
    std::vector<Timing> loads;
    std::vector<Timing> screens[5];
    std::vector<Timing> sorts[kColumns];
    Memory folderMemory{};
    Memory viewMemory{};
    for (int run = 0; run <= runs; ++run) {
        const auto shelf = ShelfRoot();
        shelf->LoadChildren(false);
        const auto folder = ComPtr<CCatFolder>::AddRefed(dynamic_cast<CCatFolder*>(shelf->GetChild(0)));
        if (!folder)
            std::exit(1);
        const Memory empty = MemoryNow();
        const Stopwatch stopwatch;
        folder->LoadChildren(false);
        const Timing load = stopwatch.Elapsed();
        if (folder->GetChildCount() != count) {
            std::fprintf(stderr, "views_bench: %d children, not %d\n", folder->GetChildCount(), count);
            std::exit(1);
        }
        const Memory loaded = MemoryNow();
        for (UINT mode = FVM_ICON; mode < FVM_DETAILS; ++mode) {
            const Timing taken = TimeFirstScreen(*folder.As<IShellFolder>(), browser, mode, nullptr);
            if (run > 0)
                screens[mode].push_back(taken);
        }
        // Details last, measured for memory and kept open for the sorts.
        const Memory before = MemoryNow();
        OpenView open;
        const Timing details = TimeFirstScreen(*folder.As<IShellFolder>(), browser, FVM_DETAILS, &open);
        Timing sortTimes[kColumns];
        for (int column = 0; column < kColumns; ++column)
            sortTimes[column] = TimeSort(open.window->List(), column);
        const Memory after = MemoryNow();
        open.Close();
        if (run == 0) {
            // The untimed first run: the resident set grows only here, later
            // runs reuse what the allocator got back.
            folderMemory = {loaded.heapMb - empty.heapMb, loaded.rssMb - empty.rssMb};
            viewMemory = {after.heapMb - before.heapMb, after.rssMb - before.rssMb};
            continue;
        }
        loads.push_back(load);
        screens[FVM_DETAILS].push_back(details);
        for (int column = 0; column < kColumns; ++column)
            sorts[column].push_back(sortTimes[column]);
    }
    std::printf("| %d | load the folder's children | %s |\n", count, Medians(loads).c_str());
    for (UINT mode = FVM_ICON; mode <= FVM_DETAILS; ++mode)
        std::printf("| %d | first screen, %s | %s |\n", count, kModeNames[mode], Medians(screens[mode]).c_str());
    static const char* const kColumnNames[] = {"Name", "Total Size", "Type", "Date", "Attribute"};
    for (int column = 0; column < kColumns; ++column)
        std::printf("| %d | sort by %s | %s |\n", count, kColumnNames[column], Medians(sorts[column]).c_str());
    std::printf("| %d | the folder's children: heap, resident (MB) | %.1f | %.1f |\n", count, folderMemory.heapMb,
        folderMemory.rssMb);
    std::printf("| %d | the view: heap, resident (MB) | %.1f | %.1f |\n", count, viewMemory.heapMb, viewMemory.rssMb);
    std::fflush(stdout);
}

void BenchShelf(const std::string& work, int count, int runs, BenchBrowser& browser)
{
    const std::string catalogs = work + "/shelf-" + std::to_string(count);
    UseCatalogDirectory(catalogs);
    QDir dir(QString::fromStdString(catalogs));
    if (dir.entryList({QStringLiteral("*.pld")}, QDir::Files).size() != count) {
        const std::string small = work + "/volume-small";
        MakeVolume(small, 20);
        const std::string one = work + "/small.pld";
        pellidor::CCatFile file;
        NoProgress progress;
        QFile::remove(QString::fromStdString(one));
        if (!file.Create(small, one, progress))
            std::exit(1);
        for (int i = 0; i < count; ++i)
            QFile::copy(QString::fromStdString(one),
                dir.filePath(QString::number(0x10000000 + i, 16).toUpper() + QStringLiteral(".pld")));
    }
    std::vector<Timing> fresh;
    std::vector<Timing> loaded;
    for (int run = 0; run <= runs; ++run) {
        const Timing first = TimeFirstScreen(*ShelfRoot(), browser, FVM_DETAILS, nullptr);
        const auto shelf = ShelfRoot();
        shelf->LoadChildren(false);
        const Timing second = TimeFirstScreen(*shelf, browser, FVM_DETAILS, nullptr);
        if (run == 0)
            continue;
        fresh.push_back(first);
        loaded.push_back(second);
    }
    std::printf("| %d catalogs | shelf view, details, fill from a fresh root | %s |\n", count, Medians(fresh).c_str());
    std::printf(
        "| %d catalogs | shelf view, details, children already loaded | %s |\n", count, Medians(loaded).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string work = argc > 1 ? argv[1] : "/dev/shm/pellidor-views-bench";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const std::string home = dir.path().toStdString();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    QApplication app(argc, argv);
    pellidor::SetFolderViews(&pellidor::TheFolderViews());
    QDir().mkpath(QString::fromStdString(work));

    auto browser = platform::com::MakeCom<BenchBrowser>();
    browser->Window().show();
    std::printf("| Entries | What | Median wall ms | Median CPU ms |\n|---|---|---:|---:|\n");
    for (const int count : {10000, 30000, 100000})
        BenchCatalog(work, count, runs, *browser);
    BenchShelf(work, 1000, runs, *browser);
    return 0;
}
