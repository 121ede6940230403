#include "platform/shell/FileTypeKeys.h"

#include "platform/shell/FileInfo.h"
#include "platform/shell/TypeKey.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <map>

namespace platform::shell {

namespace {

char FoldChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The registry's order of names: byte by byte after ASCII folding.
bool FoldLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldChar(x)) < static_cast<unsigned char>(FoldChar(y));
    });
}

std::string Fold(std::string_view name)
{
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar);
    return folded;
}

// A type's glob naming an extension, in the glob's own spelling.
struct Claim {
    std::string typeName;
    std::string extension; // with its dot
};

// Several types may name one extension (in different case, or with
// different weights), and a type may be another's alias (one package's
// type is another's alias): the key says what the type names say, which is
// the database's own choice for a name with that ending, by its own name.
Claim Winner(const std::string& folded, const std::vector<Claim>& claims)
{
    const QMimeType type = GetFileNameType("x" + folded);
    if (!type.isValid() || type.isDefault())
        return claims.front();
    const std::string chosen = type.name().toStdString();
    const auto found
        = std::find_if(claims.begin(), claims.end(), [&](const Claim& claim) { return claim.typeName == chosen; });
    return {chosen, (found != claims.end() ? *found : claims.front()).extension};
}

} // namespace

const FileTypeKeys& FileTypeKeys::Instance()
{
    static const FileTypeKeys keys;
    return keys;
}

FileTypeKeys::FileTypeKeys()
{
    // Keyed by the folded extension; claims in type-name order, so that a
    // tie is settled the same way in every process.
    std::map<std::string, std::vector<Claim>> claims;
    QList<QMimeType> types = QMimeDatabase().allMimeTypes();
    std::sort(types.begin(), types.end(), [](const QMimeType& a, const QMimeType& b) { return a.name() < b.name(); });
    for (const QMimeType& type : types) {
        const std::string typeName = type.name().toStdString();
        keys_.push_back({typeName, type.comment().toStdString()});
        for (const QString& glob : type.globPatterns()) {
            const std::string pattern = glob.toStdString();
            if (IsExtensionGlob(pattern))
                claims[Fold(pattern.substr(1))].push_back({typeName, pattern.substr(1)});
        }
    }
    for (const auto& [folded, list] : claims) {
        const Claim winner = Winner(folded, list);
        keys_.push_back({winner.extension, winner.typeName});
    }
    std::sort(keys_.begin(), keys_.end(),
        [](const FileTypeKey& a, const FileTypeKey& b) { return FoldLess(a.name, b.name); });
}

std::size_t FileTypeKeys::IndexOf(std::string_view name) const
{
    const auto found = std::lower_bound(keys_.begin(), keys_.end(), name,
        [](const FileTypeKey& key, std::string_view wanted) { return FoldLess(key.name, wanted); });
    if (found == keys_.end() || FoldLess(name, found->name))
        return npos;
    return static_cast<std::size_t>(found - keys_.begin());
}

const FileTypeKey* FileTypeKeys::Find(std::string_view name) const
{
    const std::size_t index = IndexOf(name);
    return index == npos ? nullptr : &keys_[index];
}

} // namespace platform::shell
