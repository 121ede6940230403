#include "platform/system/DriveTable.h"

#include "platform/system/Drives.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform::system {

namespace {

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::uint64_t ParseNumber(const std::string& text, int base)
{
    return text.empty() ? 0 : std::strtoull(text.c_str(), nullptr, base);
}

std::optional<DriveEntry> ParseLine(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty() || line.front() == '#')
        return std::nullopt;
    const std::vector<std::string> fields = SplitTabs(line);
    const auto field = [&fields](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    DriveEntry drive;
    drive.root = NormalizeRoot(field(0));
    if (drive.root.empty())
        return std::nullopt;
    if (fields.size() > 1)
        drive.type = static_cast<UINT>(ParseNumber(field(1), 10));
    drive.label = field(2);
    drive.serial = static_cast<DWORD>(ParseNumber(field(3), 16));
    drive.fileSystem = field(4);
    drive.total = ParseNumber(field(5), 10);
    drive.free = ParseNumber(field(6), 10);
    drive.ready = field(7) != "0";
    return drive;
}

} // namespace

std::string NormalizeRoot(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool PathIsUnder(const std::string& path, const std::string& root)
{
    if (root == "/")
        return !path.empty() && path.front() == '/';
    if (path.compare(0, root.size(), root) != 0)
        return false;
    return path.size() == root.size() || path[root.size()] == '/';
}

std::optional<DriveTable> DriveTable::FromEnvironment()
{
    const char* file = std::getenv("PELLIDOR_DRIVES");
    if (file == nullptr || *file == '\0')
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    return Parse(text.str());
}

DriveTable DriveTable::Parse(const std::string& text)
{
    DriveTable table;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (auto drive = ParseLine(line))
            table.drives_.push_back(std::move(*drive));
    }
    return table;
}

const DriveEntry* DriveTable::DriveOf(const std::string& path) const
{
    const std::string normal = NormalizeRoot(path);
    const DriveEntry* best = nullptr;
    for (const auto& drive : drives_) {
        if (PathIsUnder(normal, drive.root) && (best == nullptr || drive.root.size() > best->root.size()))
            best = &drive;
    }
    return best;
}

} // namespace platform::system
