// pellidor dump [--json] CATALOG: the header and every entry list, depth
// first, for inspection and tests. A damaged catalog is shown as far as it
// can be read and reported as damaged. With --volume PATH, the volume facts a
// reading of PATH would record instead (CommandDumpVolume.cpp).

#include "catalog/CatFile.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "platform/system/Errors.h"
#include "platform/ui/Icon.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

namespace pellidor::cli {

namespace {

struct List {
    DWORD offset = 0;
    std::string path; // in the catalog's own notation, "\" between names
    std::vector<CatRecord> entries;
    bool damaged = false;
};

struct Dump {
    CatHeader header{};
    QString largeIcon;
    QString smallIcon;
    std::vector<List> lists;
    std::vector<std::string> problems;
};

QString IconText(HICON icon)
{
    if (icon == nullptr)
        return QStringLiteral("none");
    return QStringLiteral("%1x%2").arg(icon->colour.width()).arg(icon->colour.height());
}

std::string JoinPath(const std::string& folder, const char* name)
{
    return folder == "\\" ? folder + name : folder + "\\" + name;
}

bool ReadList(const std::string& catalog, DWORD offset, List& list)
{
    CCatFile file;
    file.SetPath(catalog);
    CatRecord record;
    for (bool more = file.ReadFirst(offset, &record); more; more = file.ReadNext(&record))
        list.entries.push_back(record);
    list.damaged = file.ListDamaged();
    return !list.entries.empty() || !list.damaged;
}

// Every list reachable from the root, depth first. Each offset is followed
// once, so a damaged catalog whose folders point in a circle still ends.
void ReadLists(const std::string& catalog, Dump& dump)
{
    std::set<DWORD> seen;
    std::vector<std::pair<DWORD, std::string>> pending;
    if (dump.header.RootListOffset != 0)
        pending.emplace_back(dump.header.RootListOffset, "\\");
    while (!pending.empty()) {
        auto [offset, path] = pending.back();
        pending.pop_back();
        if (!seen.insert(offset).second) {
            dump.problems.push_back("the list of " + path + " at " + std::to_string(offset) + " is already shown");
            continue;
        }
        List list;
        list.offset = offset;
        list.path = path;
        ReadList(catalog, offset, list);
        if (list.damaged)
            dump.problems.push_back("the list of " + path + " at " + std::to_string(offset) + " is cut short");
        for (auto it = list.entries.rbegin(); it != list.entries.rend(); ++it) {
            if (it->IsFolder() && it->Size != kNoList)
                pending.emplace_back(it->Size, JoinPath(path, it->Name));
        }
        dump.lists.push_back(std::move(list));
    }
}

QString Text(const char* field, std::size_t size)
{
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, size)));
}

QJsonObject HeaderJson(const CatHeader& h)
{
    return QJsonObject{
        {QStringLiteral("version"), h.Version},
        {QStringLiteral("rootListOffset"), static_cast<qint64>(h.RootListOffset)},
        {QStringLiteral("iconBlockOffset"), static_cast<qint64>(h.IconBlockOffset)},
        {QStringLiteral("volumeSerial"), static_cast<qint64>(h.VolumeSerial)},
        {QStringLiteral("catalogTime"), h.CatalogTime},
        {QStringLiteral("totalBytes"), QString::number(h.TotalBytes)},
        {QStringLiteral("freeBytes"), QString::number(h.FreeBytes)},
        {QStringLiteral("callerFreeBytes"), QString::number(h.CallerFreeBytes)},
        {QStringLiteral("volumeLabel"), Text(h.VolumeLabel, sizeof h.VolumeLabel)},
        {QStringLiteral("userName"), Text(h.UserName, sizeof h.UserName)},
        {QStringLiteral("fileSystemName"), Text(h.FileSystemName, sizeof h.FileSystemName)},
        {QStringLiteral("content"), Text(h.Content, sizeof h.Content)},
        {QStringLiteral("driveType"), static_cast<qint64>(h.DriveType)},
    };
}

QJsonObject EntryJson(const CatRecord& r)
{
    QJsonObject entry{
        {QStringLiteral("name"), QString::fromUtf8(r.Name)},
        {QStringLiteral("attributes"), static_cast<qint64>(r.Attributes)},
        {QStringLiteral("creationTime"), r.CreationTime},
        {QStringLiteral("lastAccessTime"), r.LastAccessTime},
        {QStringLiteral("lastWriteTime"), r.LastWriteTime},
    };
    entry.insert(
        r.IsFolder() ? QStringLiteral("childListOffset") : QStringLiteral("size"), static_cast<qint64>(r.Size));
    return entry;
}

void PrintDumpJson(const Dump& dump)
{
    QJsonArray lists;
    for (const List& list : dump.lists) {
        QJsonArray entries;
        for (const CatRecord& record : list.entries)
            entries.append(EntryJson(record));
        lists.append(QJsonObject{
            {QStringLiteral("offset"), static_cast<qint64>(list.offset)},
            {QStringLiteral("path"), QString::fromUtf8(list.path.c_str())},
            {QStringLiteral("entries"), entries},
        });
    }
    QJsonArray problems;
    for (const auto& problem : dump.problems)
        problems.append(QString::fromUtf8(problem.c_str()));
    const QJsonObject root{
        {QStringLiteral("header"), HeaderJson(dump.header)},
        {QStringLiteral("icons"),
            QJsonObject{{QStringLiteral("large"), dump.largeIcon}, {QStringLiteral("small"), dump.smallIcon}}},
        {QStringLiteral("lists"), lists},
        {QStringLiteral("damaged"), !dump.problems.empty()},
        {QStringLiteral("problems"), problems},
    };
    PrintJson(QJsonDocument(root));
}

void PrintText(const Dump& dump)
{
    const CatHeader& h = dump.header;
    std::printf("Version          %u\n", h.Version);
    std::printf("RootListOffset   %u\n", h.RootListOffset);
    std::printf("IconBlockOffset  %u\n", h.IconBlockOffset);
    std::printf("VolumeSerial     %08X\n", h.VolumeSerial);
    std::printf("CatalogTime      %d\n", h.CatalogTime);
    std::printf("TotalBytes       %llu\n", static_cast<unsigned long long>(h.TotalBytes));
    std::printf("FreeBytes        %llu\n", static_cast<unsigned long long>(h.FreeBytes));
    std::printf("CallerFreeBytes  %llu\n", static_cast<unsigned long long>(h.CallerFreeBytes));
    std::printf("VolumeLabel      %s\n", Text(h.VolumeLabel, sizeof h.VolumeLabel).toUtf8().constData());
    std::printf("UserName         %s\n", Text(h.UserName, sizeof h.UserName).toUtf8().constData());
    std::printf("FileSystemName   %s\n", Text(h.FileSystemName, sizeof h.FileSystemName).toUtf8().constData());
    std::printf("Content          %s\n", Text(h.Content, sizeof h.Content).toUtf8().constData());
    std::printf("DriveType        %u\n", h.DriveType);
    std::printf("Icons            large %s, small %s\n", dump.largeIcon.toUtf8().constData(),
        dump.smallIcon.toUtf8().constData());
    for (const List& list : dump.lists) {
        std::printf("\nlist %u %s (%zu entries)\n", list.offset, list.path.c_str(), list.entries.size());
        for (const CatRecord& r : list.entries) {
            std::printf("  %08X %11d %11d %11d %10u%s %s\n", r.Attributes, r.CreationTime, r.LastAccessTime,
                r.LastWriteTime, r.Size, r.IsFolder() ? "@" : " ", r.Name);
        }
    }
    for (const auto& problem : dump.problems)
        std::printf("\ndamaged: %s\n", problem.c_str());
}

} // namespace

int RunDumpVolume(const Arguments& arguments);

int RunDump(const Arguments& arguments)
{
    if (std::find(arguments.begin(), arguments.end(), "--volume") != arguments.end())
        return RunDumpVolume(arguments);
    bool json = false;
    std::string catalog;
    for (const auto& argument : arguments) {
        if (argument == "--json")
            json = true;
        else if (catalog.empty() && !argument.empty() && argument[0] != '-')
            catalog = argument;
        else
            return Fail("usage: pellidor dump [--json] CATALOG", 2);
    }
    if (catalog.empty())
        return Fail("usage: pellidor dump [--json] CATALOG", 2);

    Dump dump;
    {
        CCatFile file;
        platform::system::SetLastError(0);
        if (!file.Open(catalog, CCatFile::OpenMode::Read)) {
            const DWORD error = platform::system::GetLastError();
            if (error != 0)
                return Fail("cannot open '" + catalog + "': " + platform::system::ErrorMessage(error));
            return Fail("'" + catalog + "' is damaged or not a catalog: its header is not one this program reads", 3);
        }
        dump.header = file.Header();
        HICON large = nullptr;
        HICON small = nullptr;
        if (!file.ReadIcons(&large, &small))
            dump.problems.push_back(
                "the icon block at " + std::to_string(dump.header.IconBlockOffset) + " lies past the end");
        dump.largeIcon = IconText(large);
        dump.smallIcon = IconText(small);
        platform::ui::DestroyIcon(large);
        platform::ui::DestroyIcon(small);
    }
    ReadLists(catalog, dump);
    if (json)
        PrintDumpJson(dump);
    else
        PrintText(dump);
    if (!dump.problems.empty())
        return Fail("'" + catalog + "' is damaged: " + dump.problems.front(), 3);
    return 0;
}

} // namespace pellidor::cli
