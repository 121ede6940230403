#pragma once
// The explorer window: the namespace tree on the left, the location's
// contents on the right, an address bar, a toolbar, a menu bar and a status
// bar. A folder of an extension shows the IShellView it creates, hosted
// through the window's IShellBrowser; drives and the home folder show the
// window's own file list; the Desktop and My Computer show their children.
//
// The window is the only owner of the view it hosts: leaving a location
// saves the view's state, deactivates it, destroys its window and releases
// it, in that order; closing the window does the same first.

#include "host/explorer/History.h"
#include "host/explorer/ShellBrowser.h"
#include "host/explorer/ShellRegistry.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/shell/ChangeNotify.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QAbstractFileIconProvider;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QStackedWidget;
class QToolBar;
class QTreeView;

namespace host::explorer {

class ModuleCache;
class NamespaceItem;
class NamespaceModel;
class ViewArea;

class ExplorerWindow : public QMainWindow, private BrowserSite {
    Q_OBJECT
public:
    // How often idle libraries are looked for, unless told otherwise.
    static constexpr int kDefaultUnloadIntervalMs = 60000;

    explicit ExplorerWindow(QWidget* parent = nullptr);
    ~ExplorerWindow() override;

    // Shows the location and adds it to the history; false (with a message
    // in the status bar, the location unchanged) when it names nothing the
    // namespace holds.
    bool Navigate(const std::vector<BYTE>& absolute);
    void GoBack();
    void GoForward();
    void GoUp();
    void Refresh();

    const std::vector<BYTE>& Location() const { return location_; }
    QString AddressText() const;
    // The text the pane shows instead of contents ("" when it shows some).
    QString PaneMessage() const;

    // Opens the context menu of the drive roots at `where` (global
    // coordinates) and answers it; it deletes itself when closed.
    QMenu* ShowDriveMenu(const std::vector<std::string>& roots, const QPoint& where);

    // Asks every loaded library whether it can go; the number unloaded.
    int UnloadIdleLibraries();
    void SetUnloadInterval(int milliseconds);

    ModuleCache& Modules() { return *modules_; }
    // The browser the window's views are given.
    IShellBrowser* Browser() const { return browser_.Get(); }
    NamespaceModel* Model() const { return model_; }
    QTreeView* Tree() const { return tree_; }
    QListWidget* Places() const { return places_; }
    QListView* Files() const { return files_; }
    QToolBar* Toolbar() const { return toolbar_; }
    IShellView* ActiveView() override { return view_.Get(); }
    // The window the current view was created as; null when none.
    QWidget* ViewWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // BrowserSite
    HWND ViewParent() override;
    void InsertBrowserMenus(HMENU shared) override;
    void SetSharedMenu(HMENU shared, HWND commandTarget) override;
    void RemoveBrowserMenus(HMENU shared) override;
    void SetStatusText(const QString& text) override;
    void EnableModeless(bool enable) override;
    HRESULT Browse(const std::vector<BYTE>& list, UINT flags) override;
    HWND ControlWindow(UINT id) override;
    HRESULT ControlMessage(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void ViewWindowActive(IShellView*) override { }
    HRESULT ToolbarItems(const TBBUTTON* buttons, UINT count, UINT flags) override;

    void BuildWidgets();
    // Drops on the tree go to the node's own target.
    void AcceptTreeDrops();
    void BuildActions();
    void ShowOwnMenu();
    void OnCommand(UINT id);
    void OnHighlight(UINT id);
    void DecorateFindEntries();
    void NameViewButtons();
    void WatchFavoritesMenu();
    // Opens the n-th file of the Favorites menu: a link by browsing to its
    // target, any other file with its default application.
    void OpenFavorite(std::size_t index);
    static bool ReadLinkTarget(const std::string& path, std::vector<BYTE>* target);
    // Runs the default command of the item an absolute list names, in its
    // extension folder; false when there is no such item or command.
    bool OpenItem(const std::vector<BYTE>& absolute);
    void RunFindExtension(std::size_t index);

    bool Show(const std::vector<BYTE>& absolute);
    void ShowItem(NamespaceItem* item);
    void ShowPlaces(NamespaceItem* item);
    void ShowFiles(NamespaceItem* item);
    void ShowExtensionView(NamespaceItem* item);
    void ShowMessage(const QString& text);
    void LeaveView();
    void SelectInTree(NamespaceItem* item);
    void UpdateActions();

    void OnTreeSelection(const QModelIndex& index);
    void OnPlaceActivated(QListWidgetItem* item);
    void OnFileActivated(const QModelIndex& index);
    void OnPlacesMenu(const QPoint& where);
    void OnTreeMenu(const QPoint& where);
    void OnFilesMenu(const QPoint& where);
    void OnAddressEntered();
    void OnShellChange(const std::vector<BYTE>& item);
    void RefreshNode(NamespaceItem* node);
    int OnOpenIdList(const std::vector<BYTE>& absolute);

    // Destroyed last: every object of an extension is gone before it.
    std::unique_ptr<ModuleCache> modules_;
    NamespaceModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    QLineEdit* address_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QStackedWidget* pane_ = nullptr;
    QLabel* message_ = nullptr;
    QListWidget* places_ = nullptr;
    QListView* files_ = nullptr;
    QFileSystemModel* fileModel_ = nullptr;
    std::unique_ptr<QAbstractFileIconProvider> fileIcons_; // the model is deleted before it
    ViewArea* viewArea_ = nullptr;
    QAction* backAction_ = nullptr;
    QAction* forwardAction_ = nullptr;
    QAction* upAction_ = nullptr;

    platform::com::ComPtr<ShellBrowser> browser_;
    platform::com::ComPtr<IShellFolder> viewFolder_;
    platform::com::ComPtr<IShellView> view_;
    QPointer<QWidget> viewWindow_;
    // Where the merged menu's view commands go.
    QPointer<QWidget> commandTarget_;
    std::vector<QIcon> toolbarImages_;
    QList<QAction*> viewButtons_;

    History history_;
    std::vector<BYTE> location_;
    bool syncingTree_ = false;
    std::vector<FindExtension> findEntries_;
    // The files of the Favorites menu as last built, by command order.
    std::vector<std::string> favoriteFiles_;
    QTimer unloadTimer_;
    std::unique_ptr<platform::shell::ScopedChangeObserver> changeObserver_;
};

} // namespace host::explorer
