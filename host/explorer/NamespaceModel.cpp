#include "host/explorer/NamespaceModel.h"

#include "host/explorer/ModuleCache.h"
#include "host/explorer/ShellRegistry.h"
#include "platform/com/Memory.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/DriveIcon.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/system/Drives.h"
#include "platform/system/Paths.h"
#include "platform/ui/Icon.h"

#include <QApplication>
#include <QDir>
#include <QStyle>

#include <algorithm>
#include <cstring>

namespace host::explorer {

namespace {

using platform::com::ComPtr;
using platform::com::TaskMemPtr;

// An enumerator that never ends must not hang the window.
constexpr int kMaxChildren = 100000;

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

// Both sizes: the tree shows the small one, the pane the large.
QIcon LoadDriveIcon(const std::string& root)
{
    QIcon icon;
    for (int size : {16, 32}) {
        platform::ui::IconImage image;
        if (platform::shell::GetDriveIcon(root, size, image))
            icon.addPixmap(QPixmap::fromImage(image.ToImage()));
    }
    return icon.isNull() ? ThemeIcon("drive-harddisk", QStyle::SP_DriveHDIcon) : icon;
}

QString DriveText(const std::string& root)
{
    platform::system::VolumeInformation volume;
    const QString path = QString::fromUtf8(root.c_str());
    if (platform::system::GetVolumeInformation(root, volume) && !volume.label.empty())
        return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(volume.label.c_str()), path);
    return path;
}

std::vector<BYTE> LastElement(const std::vector<BYTE>& list)
{
    const std::vector<platform::shell::Element> elements = platform::shell::SplitIdList(list);
    if (elements.empty())
        return {};
    return std::vector<BYTE>(elements.back().bytes, elements.back().bytes + elements.back().size);
}

} // namespace

NamespaceItem* NamespaceItem::ParentItem() const
{
    QStandardItem* up = parent();
    return up != nullptr && up->type() == kType ? static_cast<NamespaceItem*>(up) : nullptr;
}

std::string StrRetText(STRRET& name, LPCITEMIDLIST item)
{
    switch (name.uType) {
    case STRRET_CSTR:
        return std::string(name.cStr, strnlen(name.cStr, sizeof name.cStr));
    case STRRET_WSTR: {
        TaskMemPtr<WCHAR> text(name.pOleStr);
        if (!text)
            return {};
        return QString::fromUtf16(text.get()).toStdString();
    }
    case STRRET_OFFSET: {
        // An offset into the item's own first element, which bounds it.
        if (item == nullptr)
            return {};
        USHORT size = 0;
        std::memcpy(&size, item, sizeof size);
        if (name.uOffset >= size)
            return {};
        const char* text = reinterpret_cast<const char*>(item) + name.uOffset;
        return std::string(text, strnlen(text, size - name.uOffset));
    }
    default:
        return {};
    }
}

NamespaceModel::NamespaceModel(ModuleCache& modules, QObject* parent) : QStandardItemModel(parent), modules_(modules)
{
    auto* desktop = MakeItem(nullptr, NodeKind::Desktop, platform::shell::DesktopIdList(), tr("Desktop"),
        ThemeIcon("user-desktop", QStyle::SP_DesktopIcon));
    appendRow(desktop);
}

NamespaceItem* NamespaceModel::Desktop() const
{
    return static_cast<NamespaceItem*>(item(0));
}

NamespaceItem* NamespaceModel::ItemFromIndex(const QModelIndex& index) const
{
    QStandardItem* found = itemFromIndex(index);
    return found != nullptr && found->type() == NamespaceItem::kType ? static_cast<NamespaceItem*>(found) : nullptr;
}

NamespaceItem* NamespaceModel::MakeItem(
    NamespaceItem* parent, NodeKind kind, std::vector<BYTE> absolute, const QString& text, const QIcon& icon) const
{
    auto* made = new NamespaceItem;
    made->kind = kind;
    made->absolute = std::move(absolute);
    made->element = LastElement(made->absolute);
    made->setText(text);
    made->setIcon(icon);
    made->setEditable(false);
    if (parent != nullptr && parent->IsExtension())
        made->kind = NodeKind::ExtensionFolder;
    return made;
}

void NamespaceModel::Populate(NamespaceItem* item)
{
    if (item == nullptr || item->populated)
        return;
    item->populated = true;
    QList<QStandardItem*> children;
    switch (item->kind) {
    case NodeKind::Desktop:
        children = DesktopChildren(item);
        break;
    case NodeKind::MyComputer:
        children = MyComputerChildren(item);
        break;
    case NodeKind::Drive:
    case NodeKind::DesktopFolder:
    case NodeKind::FileSystemFolder:
        children = FolderChildren(item);
        break;
    case NodeKind::Junction:
    case NodeKind::ExtensionFolder:
        children = ExtensionChildren(item);
        break;
    }
    item->mayHaveChildren = !children.isEmpty();
    if (!children.isEmpty())
        item->appendRows(children);
}

void NamespaceModel::Refresh(NamespaceItem* item)
{
    if (item == nullptr || !item->populated)
        return;
    if (item->rowCount() > 0)
        item->removeRows(0, item->rowCount());
    item->populated = false;
    item->mayHaveChildren = true;
    Populate(item);
}

std::vector<NamespaceItem*> NamespaceModel::Children(NamespaceItem* item)
{
    std::vector<NamespaceItem*> children;
    Populate(item);
    for (int row = 0; item != nullptr && row < item->rowCount(); ++row)
        children.push_back(static_cast<NamespaceItem*>(item->child(row)));
    return children;
}

QList<QStandardItem*> NamespaceModel::DesktopChildren(NamespaceItem* desktop)
{
    QList<QStandardItem*> children;
    children.append(MakeItem(desktop, NodeKind::MyComputer, platform::shell::MyComputerIdList(), tr("My Computer"),
        ThemeIcon("computer", QStyle::SP_ComputerIcon)));
    const std::string home = platform::system::HomeDirectory();
    auto* homeItem = MakeItem(desktop, NodeKind::DesktopFolder, platform::shell::DesktopFolderIdList(home), tr("Home"),
        ThemeIcon("user-home", QStyle::SP_DirHomeIcon));
    homeItem->path = home;
    children.append(homeItem);
    for (const Junction& junction : NamespaceJunctions(NamespacePlace::Desktop)) {
        if (!CanCreate(junction.clsid))
            continue;
        auto* made = MakeItem(desktop, NodeKind::Junction, platform::shell::DesktopJunctionIdList(junction.clsid),
            QString::fromUtf8(junction.name.c_str()), ThemeIcon("folder", QStyle::SP_DirIcon));
        made->clsid = junction.clsid;
        children.append(made);
    }
    return children;
}

QIcon NamespaceModel::DriveIcon(const std::string& root)
{
    // A drive's icon depends on its type alone: read from the theme once.
    const UINT type = platform::system::GetDriveType(root);
    if (const auto cached = driveIcons_.constFind(type); cached != driveIcons_.constEnd())
        return *cached;
    const QIcon icon = LoadDriveIcon(root);
    driveIcons_.insert(type, icon);
    return icon;
}

QList<QStandardItem*> NamespaceModel::MyComputerChildren(NamespaceItem* myComputer)
{
    QList<QStandardItem*> children;
    for (const std::string& root : platform::system::GetLogicalDriveRoots()) {
        auto* drive = MakeItem(
            myComputer, NodeKind::Drive, platform::shell::DriveIdList(root), DriveText(root), DriveIcon(root));
        drive->path = root;
        children.append(drive);
    }
    for (const Junction& junction : NamespaceJunctions(NamespacePlace::MyComputer)) {
        if (!CanCreate(junction.clsid))
            continue;
        auto* made = MakeItem(myComputer, NodeKind::Junction, platform::shell::MyComputerJunctionIdList(junction.clsid),
            QString::fromUtf8(junction.name.c_str()), ThemeIcon("folder", QStyle::SP_DirIcon));
        made->clsid = junction.clsid;
        children.append(made);
    }
    return children;
}

QList<QStandardItem*> NamespaceModel::FolderChildren(NamespaceItem* folder)
{
    QList<QStandardItem*> children;
    const QDir dir(QString::fromUtf8(folder->path.c_str()));
    const QIcon icon = ThemeIcon("folder", QStyle::SP_DirIcon);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        const std::string bytes = name.toStdString();
        auto* child = MakeItem(folder, NodeKind::FileSystemFolder,
            platform::shell::AppendFileSystemItem(folder->absolute, bytes, true), name, icon);
        child->path = folder->path == "/" ? "/" + bytes : folder->path + "/" + bytes;
        children.append(child);
    }
    return children;
}

QList<QStandardItem*> NamespaceModel::ExtensionChildren(NamespaceItem* item)
{
    QList<QStandardItem*> children;
    const ComPtr<IShellFolder> folder = BindFolder(item);
    if (!folder)
        return children;
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(owner_, SHCONTF_FOLDERS, items.Receive())) || !items)
        return children;
    const QIcon fallback = ThemeIcon("folder", QStyle::SP_DirIcon);
    for (int count = 0; count < kMaxChildren; ++count) {
        LPITEMIDLIST raw = nullptr;
        ULONG fetched = 0;
        if (items->Next(1, &raw, &fetched) != S_OK || raw == nullptr)
            break;
        const TaskMemPtr<ITEMIDLIST> child(raw);
        LPCITEMIDLIST childList = child.get();
        ULONG attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
        if (FAILED(folder->GetAttributesOf(1, &childList, &attributes)))
            attributes = SFGAO_FOLDER;
        if ((attributes & SFGAO_FOLDER) == 0)
            continue;
        STRRET name;
        std::string text;
        if (SUCCEEDED(folder->GetDisplayNameOf(childList, SHGDN_INFOLDER, &name)))
            text = StrRetText(name, childList);
        const std::vector<BYTE> relative = platform::shell::IdListBytes(childList);
        if (relative.size() <= 2)
            continue; // an empty list would name the folder itself
        const QIcon icon = ExtensionIcon(folder.Get(), childList);
        auto* made = MakeItem(item, NodeKind::ExtensionFolder,
            platform::shell::AppendElement(item->absolute, relative.data(), relative.size() - 2),
            QString::fromUtf8(text.c_str()), icon.isNull() ? fallback : icon);
        made->mayHaveChildren = (attributes & SFGAO_HASSUBFOLDER) != 0;
        children.append(made);
    }
    SortByFolder(folder.Get(), children);
    return children;
}

void NamespaceModel::SortByFolder(IShellFolder* folder, QList<QStandardItem*>& children)
{
    // In the order the extension's own comparison gives (column 0), as its
    // view would list them; a failed comparison keeps the enumeration order.
    const auto list = [](const QStandardItem* item) {
        std::vector<BYTE> own = static_cast<const NamespaceItem*>(item)->element;
        own.insert(own.end(), {0, 0});
        return own;
    };
    std::stable_sort(children.begin(), children.end(), [&](const QStandardItem* a, const QStandardItem* b) {
        const std::vector<BYTE> first = list(a);
        const std::vector<BYTE> second = list(b);
        const HRESULT order = folder->CompareIDs(
            0, reinterpret_cast<LPCITEMIDLIST>(first.data()), reinterpret_cast<LPCITEMIDLIST>(second.data()));
        return SUCCEEDED(order) && static_cast<short>(HRESULT_CODE(order)) < 0;
    });
}

QIcon NamespaceModel::ExtensionIcon(IShellFolder* folder, LPCITEMIDLIST child)
{
    ComPtr<IExtractIconA> extract;
    if (FAILED(folder->GetUIObjectOf(owner_, 1, &child, IExtractIconA::kIid, nullptr, extract.ReceiveVoid()))
        || !extract)
        return {};
    char location[MAX_PATH] = {};
    int index = 0;
    UINT flags = 0;
    if (extract->GetIconLocation(GIL_FORSHELL, location, sizeof location, &index, &flags) != S_OK)
        return {};
    location[sizeof location - 1] = '\0';
    const QString key = QStringLiteral("%1,%2").arg(QString::fromUtf8(location)).arg(index);
    if (const auto cached = iconCache_.constFind(key); cached != iconCache_.constEnd())
        return *cached;
    HICON large = nullptr;
    HICON small = nullptr;
    QIcon icon;
    if (extract->Extract(location, static_cast<UINT>(index), &large, &small, (16u << 16) | 32u) == S_OK) {
        for (HICON image : {small, large}) {
            if (image != nullptr && !image->IsNull())
                icon.addPixmap(QPixmap::fromImage(image->ToImage()));
        }
    }
    platform::ui::DestroyIcon(large);
    platform::ui::DestroyIcon(small);
    iconCache_.insert(key, icon);
    return icon;
}

bool NamespaceModel::CanCreate(const CLSID& clsid)
{
    // A junction whose class cannot be made is left out, not shown broken;
    // the cache says once on stderr why.
    ComPtr<IShellFolder> folder;
    return SUCCEEDED(modules_.CreateInstance(clsid, IShellFolder::kIid, folder.ReceiveVoid())) && folder;
}

ComPtr<IShellFolder> NamespaceModel::BindFolder(NamespaceItem* item)
{
    if (item == nullptr)
        return nullptr;
    if (item->kind == NodeKind::Junction) {
        ComPtr<IShellFolder> folder;
        if (FAILED(modules_.CreateInstance(item->clsid, IShellFolder::kIid, folder.ReceiveVoid())) || !folder)
            return nullptr;
        // Told where it stands, as every junction is before its first use.
        if (const auto persist = folder.As<IPersistFolder>()) {
            if (FAILED(persist->Initialize(reinterpret_cast<LPCITEMIDLIST>(item->absolute.data()))))
                return nullptr;
        }
        return folder;
    }
    if (item->kind != NodeKind::ExtensionFolder)
        return nullptr;
    const ComPtr<IShellFolder> parent = BindFolder(item->ParentItem());
    if (!parent)
        return nullptr;
    std::vector<BYTE> relative = item->element;
    relative.push_back(0);
    relative.push_back(0);
    ComPtr<IShellFolder> folder;
    if (FAILED(parent->BindToObject(
            reinterpret_cast<LPCITEMIDLIST>(relative.data()), nullptr, IShellFolder::kIid, folder.ReceiveVoid())))
        return nullptr;
    return folder;
}

ComPtr<IDropTarget> NamespaceModel::DropTarget(NamespaceItem* item)
{
    ComPtr<IDropTarget> target;
    if (item == nullptr)
        return target;
    if (item->kind == NodeKind::Junction) {
        if (const ComPtr<IShellFolder> folder = BindFolder(item)) {
            if (FAILED(folder->CreateViewObject(owner_, IDropTarget::kIid, target.ReceiveVoid())))
                target.Reset();
        }
        return target;
    }
    if (item->kind != NodeKind::ExtensionFolder)
        return target;
    const ComPtr<IShellFolder> parent = BindFolder(item->ParentItem());
    if (!parent)
        return target;
    std::vector<BYTE> relative = item->element;
    relative.push_back(0);
    relative.push_back(0);
    LPCITEMIDLIST child = reinterpret_cast<LPCITEMIDLIST>(relative.data());
    if (FAILED(parent->GetUIObjectOf(owner_, 1, &child, IDropTarget::kIid, nullptr, target.ReceiveVoid())))
        target.Reset();
    return target;
}

NamespaceItem* NamespaceModel::FindChild(NamespaceItem* item, const BYTE* element, std::size_t size)
{
    for (int row = 0; row < item->rowCount(); ++row) {
        auto* child = static_cast<NamespaceItem*>(item->child(row));
        if (child->element.size() == size && std::memcmp(child->element.data(), element, size) == 0)
            return child;
    }
    if (!item->IsExtension() || item->rowCount() == 0)
        return nullptr;
    // An extension may hand out the same item in more than one form: its
    // own comparison decides.
    const ComPtr<IShellFolder> folder = BindFolder(item);
    if (!folder)
        return nullptr;
    std::vector<BYTE> wanted(element, element + size);
    wanted.insert(wanted.end(), {0, 0});
    for (int row = 0; row < item->rowCount(); ++row) {
        auto* child = static_cast<NamespaceItem*>(item->child(row));
        std::vector<BYTE> own = child->element;
        own.insert(own.end(), {0, 0});
        const HRESULT order = folder->CompareIDs(
            0, reinterpret_cast<LPCITEMIDLIST>(wanted.data()), reinterpret_cast<LPCITEMIDLIST>(own.data()));
        if (SUCCEEDED(order) && HRESULT_CODE(order) == 0)
            return child;
    }
    return nullptr;
}

NamespaceItem* NamespaceModel::Find(const std::vector<BYTE>& absolute, bool populate)
{
    NamespaceItem* item = Desktop();
    for (const platform::shell::Element& element : platform::shell::SplitIdList(absolute)) {
        if (populate)
            Populate(item);
        item = FindChild(item, element.bytes, element.size);
        if (item == nullptr)
            return nullptr;
    }
    return item;
}

QString NamespaceModel::DisplayPath(NamespaceItem* item) const
{
    if (item == nullptr)
        return {};
    if (item->IsFileSystem())
        return QString::fromUtf8(item->path.c_str());
    QStringList names;
    for (NamespaceItem* at = item; at != nullptr && at->kind != NodeKind::Desktop; at = at->ParentItem())
        names.prepend(at->text());
    return names.isEmpty() ? item->text() : names.join(QLatin1Char('\\'));
}

bool NamespaceModel::hasChildren(const QModelIndex& parent) const
{
    const NamespaceItem* item = ItemFromIndex(parent);
    if (item != nullptr && !item->populated)
        return item->mayHaveChildren;
    return QStandardItemModel::hasChildren(parent);
}

bool NamespaceModel::canFetchMore(const QModelIndex& parent) const
{
    const NamespaceItem* item = ItemFromIndex(parent);
    return item != nullptr && !item->populated;
}

void NamespaceModel::fetchMore(const QModelIndex& parent)
{
    Populate(ItemFromIndex(parent));
}

} // namespace host::explorer
