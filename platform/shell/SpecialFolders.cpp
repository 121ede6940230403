#include "platform/shell/SpecialFolders.h"

#include "platform/shell/NamespaceIds.h"
#include "platform/system/Drives.h"
#include "platform/system/Paths.h"

#include <QDir>
#include <QString>

#include <cstring>

namespace platform::shell {

namespace {

bool Holds(const std::string& root, const std::string& folder)
{
    if (root == "/")
        return true;
    return folder == root
        || (folder.size() > root.size() && folder.compare(0, root.size(), root) == 0 && folder[root.size()] == '/');
}

// `folder` below `root`, as folder elements appended to `list`.
std::vector<BYTE> Below(std::vector<BYTE> list, const std::string& root, const std::string& folder)
{
    const QString rest = QString::fromStdString(folder.substr(root.size()));
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        list = AppendFileSystemItem(list, name.toStdString(), true);
    return list;
}

} // namespace

std::vector<BYTE> FileSystemIdList(const std::string& folder)
{
    std::string best;
    for (const std::string& root : system::GetLogicalDriveRoots()) {
        if (Holds(root, folder) && (best.empty() || root.size() > best.size()))
            best = root;
    }
    if (!best.empty())
        return Below(DriveIdList(best), best == "/" ? std::string() : best, folder);
    const std::string home = QDir(QString::fromStdString(system::HomeDirectory())).canonicalPath().toStdString();
    if (!home.empty() && Holds(home, folder))
        return Below(DesktopFolderIdList(system::HomeDirectory()), home, folder);
    return {};
}

std::optional<std::string> PathFromIdList(const std::vector<BYTE>& list)
{
    if (ValidateIdList(list.data(), list.size()) != list.size())
        return std::nullopt;
    std::optional<std::string> path;
    for (const Element& element : SplitIdList(list)) {
        if (!element.platform)
            return std::nullopt;
        if (element.type == kElementRootFolder && !path && element.clsid == CLSID_MyComputer)
            continue;
        if (element.type == kElementPath && !path) {
            path = element.text;
        } else if ((element.type == kElementFolder || element.type == kElementFile) && path) {
            if (path->empty() || path->back() != '/')
                *path += '/';
            *path += element.text;
        } else {
            return std::nullopt;
        }
    }
    return path;
}

HRESULT SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (folder != CSIDL_FAVORITES)
        return E_INVALIDARG;
    const QString path = QString::fromStdString(system::FavoritesDirectory());
    if (!QDir().mkpath(path))
        return E_FAIL;
    const std::vector<BYTE> list = FileSystemIdList(QDir(path).canonicalPath().toStdString());
    if (list.empty())
        return E_FAIL;
    void* copy = com::TaskMemAlloc(list.size());
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(copy, list.data(), list.size());
    *out = static_cast<LPITEMIDLIST>(copy);
    return S_OK;
}

} // namespace platform::shell
