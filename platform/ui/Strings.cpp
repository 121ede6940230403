#include "platform/ui/Strings.h"

#include <QFile>

#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform::ui {

namespace {

using StringTable = std::unordered_map<UINT, std::string>;

std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case '\\':
            out += '\\';
            break;
        default: // not an escape: kept as written
            out += '\\';
            out += next;
            break;
        }
    }
    return out;
}

// "id<TAB>text" lines; lines starting with "#", blank lines and lines
// without a number are not strings.
StringTable Parse(const QByteArray& content)
{
    StringTable table;
    for (const QByteArray& rawLine : content.split('\n')) {
        std::string_view line(rawLine.constData(), static_cast<std::size_t>(rawLine.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto tab = line.find('\t');
        if (line.empty() || line.front() == '#' || tab == std::string_view::npos || tab == 0)
            continue;
        unsigned long id = 0;
        bool numeric = true;
        for (char c : line.substr(0, tab)) {
            numeric = numeric && std::isdigit(static_cast<unsigned char>(c)) != 0 && id < 100000000UL;
            id = id * 10 + static_cast<unsigned long>(c - '0');
        }
        if (numeric)
            table[static_cast<UINT>(id)] = Unescape(line.substr(tab + 1));
    }
    return table;
}

// Each module's table, loaded on first use and kept for the process's life
// (the map's nodes never move). A table is a compiled resource, which a
// static library registers during start-up; until it is found, every call
// tries again.
const StringTable* Table(const ResourceModule& module)
{
    static std::mutex mutex;
    static std::map<std::string, StringTable, std::less<>> tables;
    std::lock_guard lock(mutex);
    const auto found = tables.find(module.Name());
    if (found != tables.end())
        return &found->second;
    QFile file(module.Path("strings.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return &tables.emplace(std::string(module.Name()), Parse(file.readAll())).first->second;
}

} // namespace

std::string LoadString(const ResourceModule& module, UINT id)
{
    const StringTable* table = Table(module);
    if (table == nullptr)
        return {};
    const auto it = table->find(id);
    return it != table->end() ? it->second : std::string();
}

bool HasString(const ResourceModule& module, UINT id)
{
    const StringTable* table = Table(module);
    return table != nullptr && table->count(id) != 0;
}

std::string FormatInserts(std::string_view pattern, const std::vector<std::string>& inserts)
{
    std::string out;
    out.reserve(pattern.size());
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i++];
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // %1 … %99: at most two digits, the first not 0.
        std::size_t end = i + 1;
        std::size_t number = 0;
        while (end < pattern.size() && end < i + 3 && std::isdigit(static_cast<unsigned char>(pattern[end])) != 0) {
            number = number * 10 + static_cast<std::size_t>(pattern[end] - '0');
            ++end;
        }
        if (end == i + 1 || pattern[i + 1] == '0') {
            out += pattern[i++];
            continue;
        }
        // The printf form "!…!" goes with the marker.
        if (end < pattern.size() && pattern[end] == '!') {
            const auto close = pattern.find('!', end + 1);
            if (close != std::string_view::npos)
                end = close + 1;
        }
        if (number <= inserts.size())
            out += inserts[number - 1];
        else
            out.append(pattern.substr(i, end - i));
        i = end;
    }
    return out;
}

} // namespace platform::ui
