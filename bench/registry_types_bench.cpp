// registry_types_bench [RUNS]: the file-type keys of HKEY_CLASSES_ROOT.
// Times, in a registry of its own (a temporary XDG_DATA_HOME) holding a few
// keys that programs write:
//   build  the first use of the table in a process (the type database read);
//   enum   every HKEY_CLASSES_ROOT key by index, as RegEnumKey is used;
//   walk   the search's type box: every ".ext" key, its type's key and
//          description, each opened and read.
// Prints the median and the slowest of RUNS (5) runs of enum and walk.

#include "platform/registry/Registry.h"
#include "platform/shell/FileTypeKeys.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using platform::registry::Hive;
using platform::registry::Key;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::size_t EnumerateAll()
{
    Key root;
    root.Open(Hive::ClassesRoot, "");
    std::string name;
    DWORD index = 0;
    while (root.EnumKey(index, name) == 0)
        ++index;
    return index;
}

std::size_t WalkTypeBox()
{
    Key root;
    root.Open(Hive::ClassesRoot, "");
    std::string name;
    std::size_t described = 0;
    for (DWORD index = 0; root.EnumKey(index, name) == 0; ++index) {
        if (name.empty() || name.front() != '.')
            continue;
        Key extension;
        std::string type;
        if (extension.Open(Hive::ClassesRoot, name) != 0 || extension.QueryString("", type) != 0)
            continue;
        Key typeKey;
        std::string description;
        if (typeKey.Open(Hive::ClassesRoot, type) == 0 && typeKey.QueryString("", description) == 0)
            ++described;
    }
    return described;
}

void Report(const char* what, std::vector<double> times, std::size_t count)
{
    std::sort(times.begin(), times.end());
    std::printf(
        "%-6s %6zu keys  median %8.2f ms  slowest %8.2f ms\n", what, count, times[times.size() / 2], times.back());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    for (const char* path : {"CLSID\\{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}", "Pellidor.ShelfFolder", ".pld"}) {
        Key key;
        key.Create(Hive::ClassesRoot, path);
    }

    const auto start = Clock::now();
    const std::size_t tableSize = platform::shell::FileTypeKeys::Instance().Keys().size();
    std::printf("build  %6zu keys  %8.2f ms\n", tableSize, MillisecondsSince(start));

    std::vector<double> enumTimes;
    std::vector<double> walkTimes;
    std::size_t enumerated = 0;
    std::size_t described = 0;
    for (int run = 0; run < runs; ++run) {
        auto begin = Clock::now();
        enumerated = EnumerateAll();
        enumTimes.push_back(MillisecondsSince(begin));
        begin = Clock::now();
        described = WalkTypeBox();
        walkTimes.push_back(MillisecondsSince(begin));
    }
    Report("enum", enumTimes, enumerated);
    Report("walk", walkTimes, described);
    return 0;
}
