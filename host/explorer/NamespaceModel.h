#pragma once
// The namespace as the navigation tree shows it: the Desktop at the root;
// under it My Computer, the home folder and the Desktop's junctions; under My
// Computer the drives and its junctions; below drives and the home folder
// their folders; below a junction what its extension enumerates (folders
// only). Children are read when a node is first opened.
//
// Nodes hold no objects of extensions: a junction's or an extension folder's
// IShellFolder is bound anew whenever one is needed and released after, so an
// extension's library can be unloaded while the user is elsewhere.

#include "platform/com/ComPtr.h"
#include "platform/com/Guid.h"
#include "platform/com/ShellInterfaces.h"

#include <QHash>
#include <QIcon>
#include <QStandardItem>
#include <QStandardItemModel>

#include <string>
#include <vector>

namespace host::explorer {

class ModuleCache;

enum class NodeKind {
    Desktop,
    MyComputer,
    Drive, // a drive root in My Computer
    DesktopFolder, // a folder placed on the Desktop: the home folder
    FileSystemFolder,
    Junction, // an extension's root, made from its CLSID
    ExtensionFolder, // a folder an extension enumerates
};

class NamespaceItem : public QStandardItem {
public:
    static constexpr int kType = QStandardItem::UserType + 1;
    int type() const override { return kType; }

    bool IsFileSystem() const
    {
        return kind == NodeKind::Drive || kind == NodeKind::DesktopFolder || kind == NodeKind::FileSystemFolder;
    }
    bool IsExtension() const { return kind == NodeKind::Junction || kind == NodeKind::ExtensionFolder; }
    NamespaceItem* ParentItem() const;

    NodeKind kind = NodeKind::Desktop;
    std::vector<BYTE> absolute; // the absolute identifier list, terminator included
    std::vector<BYTE> element; // the last element alone, without terminator
    std::string path; // file-system nodes: the folder
    CLSID clsid; // junctions
    bool populated = false;
    bool mayHaveChildren = true;
};

class NamespaceModel : public QStandardItemModel {
    Q_OBJECT
public:
    explicit NamespaceModel(ModuleCache& modules, QObject* parent = nullptr);

    // The window extensions are handed as their owner.
    void SetOwnerWindow(QWidget* owner) { owner_ = owner; }

    NamespaceItem* Desktop() const;
    NamespaceItem* ItemFromIndex(const QModelIndex& index) const;

    // Reads the children once.
    void Populate(NamespaceItem* item);
    // Reads the children again when they were read before.
    void Refresh(NamespaceItem* item);
    std::vector<NamespaceItem*> Children(NamespaceItem* item);

    // The node of an absolute list; with `populate` the nodes on the way are
    // read as needed, without only what was read is searched. Null when the
    // list names no folder the tree holds.
    NamespaceItem* Find(const std::vector<BYTE>& absolute, bool populate);

    // A junction's or extension folder's IShellFolder, bound now; null when
    // it cannot be had.
    platform::com::ComPtr<IShellFolder> BindFolder(NamespaceItem* item);

    // The drop target of a junction's or extension folder's node, as a shell
    // asks it: the junction's CreateViewObject, an extension folder's
    // GetUIObjectOf in its parent. Null when the node takes no drops.
    platform::com::ComPtr<IDropTarget> DropTarget(NamespaceItem* item);

    // The location as the address bar shows it.
    QString DisplayPath(NamespaceItem* item) const;

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    NamespaceItem* MakeItem(
        NamespaceItem* parent, NodeKind kind, std::vector<BYTE> absolute, const QString& text, const QIcon& icon) const;
    QList<QStandardItem*> DesktopChildren(NamespaceItem* desktop);
    QList<QStandardItem*> MyComputerChildren(NamespaceItem* myComputer);
    QList<QStandardItem*> FolderChildren(NamespaceItem* folder);
    QList<QStandardItem*> ExtensionChildren(NamespaceItem* item);
    bool CanCreate(const CLSID& clsid);
    static void SortByFolder(IShellFolder* folder, QList<QStandardItem*>& children);
    QIcon ExtensionIcon(IShellFolder* folder, LPCITEMIDLIST child);
    QIcon DriveIcon(const std::string& root);
    NamespaceItem* FindChild(NamespaceItem* item, const BYTE* element, std::size_t size);

    ModuleCache& modules_;
    QWidget* owner_ = nullptr;
    // Icons of extension items by their location text and index: each is
    // extracted once.
    QHash<QString, QIcon> iconCache_;
    QHash<UINT, QIcon> driveIcons_;
};

// A name as an extension hands it; empty when the answer cannot be read.
std::string StrRetText(STRRET& name, LPCITEMIDLIST item);

} // namespace host::explorer
