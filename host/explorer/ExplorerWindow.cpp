#include "host/explorer/ExplorerWindow.h"

#include "host/explorer/BrowserMenus.h"
#include "host/explorer/DriveMenu.h"
#include "host/explorer/ModuleCache.h"
#include "host/explorer/NamespaceModel.h"
#include "host/explorer/Startup.h"
#include "host/explorer/ToolbarImages.h"
#include "platform/com/CoCreate.h"
#include "platform/shell/Execute.h"
#include "platform/shell/FileInfo.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/shell/ShellLink.h"
#include "platform/system/Paths.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuWidgets.h"
#include "platform/ui/Messages.h"

#include <QAbstractFileIconProvider>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QResizeEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>

namespace host::explorer {

using platform::com::ComPtr;

namespace {

constexpr int kRoleLocation = Qt::UserRole + 1;
constexpr int kRoleDriveRoot = Qt::UserRole + 2;

QByteArray ToBytes(const std::vector<BYTE>& list)
{
    return QByteArray(reinterpret_cast<const char*>(list.data()), static_cast<qsizetype>(list.size()));
}

std::vector<BYTE> FromBytes(const QByteArray& bytes)
{
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

QIcon Themed(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

// File icons as the platform's file types give them, one per extension.
class FileTypeIcons : public QAbstractFileIconProvider {
public:
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isDir())
            return Themed("folder", QStyle::SP_DirIcon);
        const QString key = info.suffix().toLower();
        if (const auto cached = cache_.constFind(key); cached != cache_.constEnd())
            return *cached;
        QIcon icon;
        for (int size : {16, 32}) {
            const QImage image = platform::shell::GetFileTypeIcon(info.fileName().toStdString(), size);
            if (!image.isNull())
                icon.addPixmap(QPixmap::fromImage(image));
        }
        if (icon.isNull())
            icon = Themed("text-x-generic", QStyle::SP_FileIcon);
        cache_.insert(key, icon);
        return icon;
    }
    QIcon icon(IconType type) const override { return QAbstractFileIconProvider::icon(type); }

private:
    mutable QHash<QString, QIcon> cache_;
};

} // namespace

// The parent of hosted view windows; keeps the view window filling it, as
// the browser moves a view's window when its pane changes size.
class ViewArea : public QWidget {
public:
    using QWidget::QWidget;
    void SetView(QWidget* view)
    {
        view_ = view;
        if (view_ != nullptr)
            view_->setGeometry(rect());
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (view_ != nullptr)
            view_->setGeometry(rect());
    }

private:
    QPointer<QWidget> view_;
};

ExplorerWindow::ExplorerWindow(QWidget* parent)
    : QMainWindow(parent)
    , modules_(std::make_unique<ModuleCache>())
    , browser_(platform::com::MakeCom<ShellBrowser>(static_cast<BrowserSite*>(this)))
{
    setWindowTitle(tr("Explorer"));
    resize(960, 640);
    findEntries_ = FindExtensions();
    BuildWidgets();
    BuildActions();
    ShowOwnMenu();

    unloadTimer_.setInterval(kDefaultUnloadIntervalMs);
    connect(&unloadTimer_, &QTimer::timeout, this, [this] { UnloadIdleLibraries(); });
    unloadTimer_.start();

    // Told on the thread that made the change; shown on this one.
    changeObserver_ = std::make_unique<platform::shell::ScopedChangeObserver>(
        [this](LONG, const std::vector<BYTE>& item, const std::vector<BYTE>&) {
            QMetaObject::invokeMethod(
                this, [this, item] { OnShellChange(item); }, Qt::QueuedConnection);
        });
    platform::shell::ListenForChangeNotifications();
    platform::shell::SetIdListHandler([this](const platform::shell::IdListRequest& request) {
        return OnOpenIdList(platform::shell::IdListBytes(request.idList));
    });
}

ExplorerWindow::~ExplorerWindow()
{
    platform::shell::SetIdListHandler(nullptr);
    changeObserver_.reset();
    // A drag under way holds a node's target: let go while its library is
    // loaded.
    platform::ui::RevokeDragDrop(tree_->viewport());
    // Open drive menus hold handlers: released while the libraries are known.
    qDeleteAll(findChildren<DriveMenu*>(Qt::FindDirectChildrenOnly));
    LeaveView();
    browser_->Detach();
    // Its gatherer thread asks the icon provider, which dies with the
    // members: the model goes first.
    files_->setModel(nullptr);
    delete fileModel_;
}

void ExplorerWindow::AcceptTreeDrops()
{
    // A node's target is asked for when the drag reaches the node and let
    // go when it leaves, so the tree holds no extension's object between
    // drags.
    auto locate = [this](POINTL point) {
        platform::ui::DropPlace place;
        NamespaceItem* item
            = model_->ItemFromIndex(tree_->indexAt(tree_->viewport()->mapFromGlobal(QPoint(point.x, point.y))));
        if (item == nullptr || !item->IsExtension())
            return place;
        place.key = QByteArray(
            reinterpret_cast<const char*>(item->absolute.data()), static_cast<qsizetype>(item->absolute.size()));
        place.target = [this, absolute = item->absolute] {
            // Found again: the tree may have been read anew since.
            return model_->DropTarget(model_->Find(absolute, false));
        };
        return place;
    };
    if (const ComPtr<IDropTarget> target = platform::ui::CreateDropTargetSwitch(std::move(locate)))
        platform::ui::RegisterDragDrop(tree_->viewport(), target.Get());
}

void ExplorerWindow::BuildWidgets()
{
    model_ = new NamespaceModel(*modules_, this);
    model_->SetOwnerWindow(this);

    tree_ = new QTreeView;
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setExpandsOnDoubleClick(true);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) { OnTreeSelection(current); });
    connect(tree_, &QWidget::customContextMenuRequested, this, &ExplorerWindow::OnTreeMenu);
    tree_->expand(model_->indexFromItem(model_->Desktop()));
    AcceptTreeDrops();

    pane_ = new QStackedWidget;
    message_ = new QLabel;
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    places_ = new QListWidget;
    places_->setViewMode(QListView::IconMode);
    places_->setResizeMode(QListView::Adjust);
    places_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    places_->setContextMenuPolicy(Qt::CustomContextMenu);
    places_->setIconSize(QSize(32, 32));
    places_->setGridSize(QSize(140, 72));
    places_->setWordWrap(true);
    connect(places_, &QListWidget::itemActivated, this, &ExplorerWindow::OnPlaceActivated);
    connect(places_, &QWidget::customContextMenuRequested, this, &ExplorerWindow::OnPlacesMenu);
    fileModel_ = new QFileSystemModel(this);
    fileIcons_ = std::make_unique<FileTypeIcons>();
    fileModel_->setIconProvider(fileIcons_.get());
    fileModel_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
    files_ = new QListView;
    files_->setModel(fileModel_);
    files_->setViewMode(QListView::ListMode);
    files_->setResizeMode(QListView::Adjust);
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(files_, &QListView::activated, this, &ExplorerWindow::OnFileActivated);
    connect(files_, &QWidget::customContextMenuRequested, this, &ExplorerWindow::OnFilesMenu);
    viewArea_ = new ViewArea;
    for (QWidget* page : {static_cast<QWidget*>(message_), static_cast<QWidget*>(places_),
             static_cast<QWidget*>(files_), static_cast<QWidget*>(viewArea_)})
        pane_->addWidget(page);

    auto* splitter = new QSplitter;
    splitter->addWidget(tree_);
    splitter->addWidget(pane_);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 700});
    setCentralWidget(splitter);

    toolbar_ = addToolBar(tr("Standard Buttons"));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    address_ = new QLineEdit;
    connect(address_, &QLineEdit::returnPressed, this, &ExplorerWindow::OnAddressEntered);
    QToolBar* addressBar = addToolBar(tr("Address"));
    addressBar->setMovable(false);
    addressBar->addWidget(new QLabel(tr("Address ")));
    addressBar->addWidget(address_);
    statusBar()->showMessage(QString());
}

void ExplorerWindow::BuildActions()
{
    backAction_ = new QAction(Themed("go-previous", QStyle::SP_ArrowBack), tr("Back"), this);
    backAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(backAction_, &QAction::triggered, this, &ExplorerWindow::GoBack);
    forwardAction_ = new QAction(Themed("go-next", QStyle::SP_ArrowForward), tr("Forward"), this);
    forwardAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    connect(forwardAction_, &QAction::triggered, this, &ExplorerWindow::GoForward);
    upAction_ = new QAction(Themed("go-up", QStyle::SP_FileDialogToParent), tr("Up"), this);
    upAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    connect(upAction_, &QAction::triggered, this, &ExplorerWindow::GoUp);
    auto* refresh = new QAction(tr("Refresh"), this);
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(refresh, &QAction::triggered, this, &ExplorerWindow::Refresh);
    // On the window, not in the menu bar: a view's menu replaces that.
    for (QAction* action : {backAction_, forwardAction_, upAction_, refresh}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    toolbar_->addAction(backAction_);
    toolbar_->addAction(forwardAction_);
    toolbar_->addAction(upAction_);
    toolbar_->addSeparator();
    UpdateActions();
}

// ---- Navigation ----

bool ExplorerWindow::Navigate(const std::vector<BYTE>& absolute)
{
    if (!Show(absolute))
        return false;
    history_.Visit(location_);
    UpdateActions();
    return true;
}

void ExplorerWindow::GoBack()
{
    if (const auto location = history_.GoBack()) {
        if (!Show(*location))
            history_.Undo();
    }
    UpdateActions();
}

void ExplorerWindow::GoForward()
{
    if (const auto location = history_.GoForward()) {
        if (!Show(*location))
            history_.Undo();
    }
    UpdateActions();
}

void ExplorerWindow::GoUp()
{
    if (location_.size() > 2)
        Navigate(platform::shell::ParentIdList(location_));
}

void ExplorerWindow::Refresh()
{
    RefreshNode(model_->Find(location_, false));
    if (view_)
        view_->Refresh();
    else
        Show(location_);
}

bool ExplorerWindow::Show(const std::vector<BYTE>& absolute)
{
    NamespaceItem* item = model_->Find(absolute, true);
    if (item == nullptr) {
        statusBar()->showMessage(tr("The location cannot be found."));
        return false;
    }
    LeaveView();
    location_ = item->absolute;
    ShowItem(item);
    address_->setText(model_->DisplayPath(item));
    setWindowTitle(tr("%1 - Explorer").arg(item->text()));
    SelectInTree(item);
    // Whatever the last location's libraries held is released now.
    UnloadIdleLibraries();
    return true;
}

void ExplorerWindow::ShowItem(NamespaceItem* item)
{
    switch (item->kind) {
    case NodeKind::Desktop:
    case NodeKind::MyComputer:
        ShowPlaces(item);
        break;
    case NodeKind::Drive:
    case NodeKind::DesktopFolder:
    case NodeKind::FileSystemFolder:
        ShowFiles(item);
        break;
    case NodeKind::Junction:
    case NodeKind::ExtensionFolder:
        ShowExtensionView(item);
        break;
    }
}

void ExplorerWindow::ShowPlaces(NamespaceItem* item)
{
    places_->clear();
    for (NamespaceItem* child : model_->Children(item)) {
        auto* entry = new QListWidgetItem(child->icon(), child->text(), places_);
        entry->setData(kRoleLocation, ToBytes(child->absolute));
        if (child->kind == NodeKind::Drive)
            entry->setData(kRoleDriveRoot, QString::fromUtf8(child->path.c_str()));
    }
    pane_->setCurrentWidget(places_);
    statusBar()->showMessage(tr("%n object(s)", nullptr, places_->count()));
}

void ExplorerWindow::ShowFiles(NamespaceItem* item)
{
    const QString path = QString::fromUtf8(item->path.c_str());
    files_->setRootIndex(fileModel_->setRootPath(path));
    pane_->setCurrentWidget(files_);
    statusBar()->showMessage(path);
}

void ExplorerWindow::ShowExtensionView(NamespaceItem* item)
{
    viewFolder_ = model_->BindFolder(item);
    if (!viewFolder_) {
        ShowMessage(tr("This folder cannot be opened."));
        return;
    }
    ComPtr<IShellView> view;
    if (FAILED(viewFolder_->CreateViewObject(this, IShellView::kIid, view.ReceiveVoid())) || !view) {
        viewFolder_.Reset();
        ShowMessage(tr("This folder has no view to show."));
        return;
    }
    FOLDERSETTINGS settings;
    settings.ViewMode = FVM_ICON;
    const QRect area = viewArea_->rect();
    RECT rect{0, 0, area.width(), area.height()};
    pane_->setCurrentWidget(viewArea_);
    HWND window = nullptr;
    // Held before the call: a view may merge its buttons while it makes
    // its window.
    view_ = view;
    const HRESULT created = view->CreateViewWindow(nullptr, &settings, browser_.Get(), &rect, &window);
    if (FAILED(created) || window == nullptr) {
        if (SUCCEEDED(created))
            view->DestroyViewWindow();
        view_.Reset();
        viewFolder_.Reset();
        ToolbarItems(nullptr, 0, FCT_MERGE);
        ShowMessage(tr("The view of this folder could not be created."));
        return;
    }
    viewWindow_ = window;
    viewArea_->SetView(window);
    window->show();
    view->UIActivate(SVUIA_ACTIVATE_FOCUS);
}

void ExplorerWindow::ShowMessage(const QString& text)
{
    message_->setText(text);
    pane_->setCurrentWidget(message_);
    statusBar()->showMessage(text);
}

void ExplorerWindow::LeaveView()
{
    if (!view_) {
        viewFolder_.Reset();
        return;
    }
    // Taken out first: a view that calls back while it goes finds none.
    const ComPtr<IShellView> view = std::move(view_);
    view->SaveViewState();
    view->UIActivate(SVUIA_DEACTIVATE);
    view->DestroyViewWindow();
    viewWindow_.clear();
    viewArea_->SetView(nullptr);
    ToolbarItems(nullptr, 0, FCT_MERGE);
    ShowOwnMenu();
    viewFolder_.Reset();
}

QWidget* ExplorerWindow::ViewWindow() const
{
    return viewWindow_.data();
}

void ExplorerWindow::SelectInTree(NamespaceItem* item)
{
    syncingTree_ = true;
    const QModelIndex index = model_->indexFromItem(item);
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        tree_->expand(above);
    tree_->setCurrentIndex(index);
    tree_->expand(index);
    tree_->scrollTo(index);
    syncingTree_ = false;
}

void ExplorerWindow::UpdateActions()
{
    backAction_->setEnabled(history_.CanGoBack());
    forwardAction_->setEnabled(history_.CanGoForward());
    upAction_->setEnabled(location_.size() > 2);
}

QString ExplorerWindow::AddressText() const
{
    return address_->text();
}

QString ExplorerWindow::PaneMessage() const
{
    return pane_->currentWidget() == message_ ? message_->text() : QString();
}

// ---- User input ----

void ExplorerWindow::OnTreeSelection(const QModelIndex& index)
{
    if (syncingTree_)
        return;
    NamespaceItem* item = model_->ItemFromIndex(index);
    if (item != nullptr && item->absolute != location_)
        Navigate(item->absolute);
}

void ExplorerWindow::OnPlaceActivated(QListWidgetItem* item)
{
    // Queued: the list is refilled by the navigation.
    const std::vector<BYTE> location = FromBytes(item->data(kRoleLocation).toByteArray());
    QMetaObject::invokeMethod(
        this, [this, location] { Navigate(location); }, Qt::QueuedConnection);
}

void ExplorerWindow::OnFileActivated(const QModelIndex& index)
{
    const QFileInfo info = fileModel_->fileInfo(index);
    if (info.isDir()) {
        const std::vector<BYTE> location
            = platform::shell::AppendFileSystemItem(location_, info.fileName().toStdString(), true);
        QMetaObject::invokeMethod(
            this, [this, location] { Navigate(location); }, Qt::QueuedConnection);
        return;
    }
    platform::shell::ShellExecute(this, "open", info.absoluteFilePath().toStdString(), {}, {}, SW_SHOWNORMAL);
}

void ExplorerWindow::OnPlacesMenu(const QPoint& where)
{
    std::vector<std::string> roots;
    for (QListWidgetItem* item : places_->selectedItems()) {
        const QString root = item->data(kRoleDriveRoot).toString();
        if (!root.isEmpty())
            roots.push_back(root.toStdString());
    }
    if (!roots.empty())
        ShowDriveMenu(roots, places_->viewport()->mapToGlobal(where));
}

void ExplorerWindow::OnFilesMenu(const QPoint& where)
{
    const QModelIndex index = files_->indexAt(where);
    if (!index.isValid())
        return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* open = menu->addAction(tr("&Open"));
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    const QPersistentModelIndex target(index);
    connect(open, &QAction::triggered, this, [this, target] {
        if (target.isValid())
            OnFileActivated(target);
    });
    menu->popup(files_->viewport()->mapToGlobal(where));
}

void ExplorerWindow::OnTreeMenu(const QPoint& where)
{
    NamespaceItem* item = model_->ItemFromIndex(tree_->indexAt(where));
    if (item != nullptr && item->kind == NodeKind::Drive)
        ShowDriveMenu({item->path}, tree_->viewport()->mapToGlobal(where));
}

QMenu* ExplorerWindow::ShowDriveMenu(const std::vector<std::string>& roots, const QPoint& where)
{
    const std::vector<BYTE> first = platform::shell::DriveIdList(roots.front());
    auto* menu = new DriveMenu(*modules_, roots, this, [this, first] {
        QMetaObject::invokeMethod(
            this, [this, first] { Navigate(first); }, Qt::QueuedConnection);
    });
    QMenu* shown = menu->Build();
    // Gone once closed, with the handlers it holds; a chosen command has run
    // by then.
    connect(shown, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    shown->popup(where);
    return shown;
}

void ExplorerWindow::OnAddressEntered()
{
    QString message;
    const std::vector<BYTE> location = LocationFromArgument(address_->text().toStdString(), &message);
    if (!message.isEmpty() || !Navigate(location))
        statusBar()->showMessage(message.isEmpty() ? tr("The location cannot be found.") : message);
}

void ExplorerWindow::closeEvent(QCloseEvent* event)
{
    LeaveView();
    QMainWindow::closeEvent(event);
}

// ---- Change notification, unloading, opening from outside ----

void ExplorerWindow::OnShellChange(const std::vector<BYTE>& item)
{
    if (item.size() < 2)
        return;
    RefreshNode(model_->Find(item, false));
    // The pane shows the changed folder's contents: show them again.
    if (location_ == item && !view_ && model_->Find(location_, false) != nullptr)
        Show(location_);
}

void ExplorerWindow::RefreshNode(NamespaceItem* node)
{
    if (node == nullptr)
        return;
    // Reading the node again may take the tree's current item away: that
    // moves the selection, which must not move the window.
    syncingTree_ = true;
    const bool expanded = tree_->isExpanded(model_->indexFromItem(node));
    model_->Refresh(node);
    if (expanded)
        tree_->expand(model_->indexFromItem(node));
    syncingTree_ = false;
    if (NamespaceItem* current = model_->Find(location_, true))
        SelectInTree(current);
}

int ExplorerWindow::OnOpenIdList(const std::vector<BYTE>& absolute)
{
    QMetaObject::invokeMethod(
        this, [this, absolute] { Navigate(absolute); }, Qt::QueuedConnection);
    return platform::shell::kExecuteOk;
}

int ExplorerWindow::UnloadIdleLibraries()
{
    return modules_->UnloadIdle();
}

void ExplorerWindow::SetUnloadInterval(int milliseconds)
{
    unloadTimer_.start(milliseconds);
}

// ---- Menus ----

void ExplorerWindow::ShowOwnMenu()
{
    platform::ui::Menu own;
    InsertBrowserMenus(&own);
    SetSharedMenu(&own, nullptr);
}

void ExplorerWindow::InsertBrowserMenus(HMENU shared)
{
    const std::vector<FavoriteEntry> favorites = ReadFavorites();
    favoriteFiles_ = FavoriteFiles(favorites);
    host::explorer::InsertBrowserMenus(*shared, findEntries_, favorites);
}

void ExplorerWindow::RemoveBrowserMenus(HMENU shared)
{
    host::explorer::RemoveBrowserMenus(*shared);
}

void ExplorerWindow::SetSharedMenu(HMENU shared, HWND commandTarget)
{
    if (shared == nullptr) {
        ShowOwnMenu();
        return;
    }
    commandTarget_ = commandTarget;
    platform::ui::FillMenuBar(
        *shared, menuBar(), [this](UINT id) { OnCommand(id); }, [this](UINT id) { OnHighlight(id); });
    WatchFavoritesMenu();
    DecorateFindEntries();
    NameViewButtons();
}

void ExplorerWindow::WatchFavoritesMenu()
{
    for (QAction* action : menuBar()->actions()) {
        QMenu* favorites = action->menu();
        if (favorites == nullptr || action->data().toUInt() != FCIDM_MENU_FAVORITES)
            continue;
        // Read again whenever it opens: a favorite added since the menu bar
        // was built shows at once.
        connect(favorites, &QMenu::aboutToShow, this, [this, favorites] {
            const std::vector<FavoriteEntry> entries = ReadFavorites();
            favoriteFiles_ = FavoriteFiles(entries);
            // Sub-menus are the menu's children, which clear() leaves.
            qDeleteAll(favorites->findChildren<QMenu*>(Qt::FindDirectChildrenOnly));
            favorites->clear();
            platform::ui::FillQMenu(
                *FavoritesMenu(entries), favorites, [this](UINT id) { OnCommand(id); },
                [this](UINT id) { OnHighlight(id); });
        });
    }
}

void ExplorerWindow::OpenFavorite(std::size_t index)
{
    if (index >= favoriteFiles_.size())
        return;
    const std::string path = favoriteFiles_[index];
    if (!IsLinkFile(path)) {
        platform::shell::ShellExecute(this, "open", path, {}, {}, SW_SHOWNORMAL);
        return;
    }
    std::vector<BYTE> target;
    if (!ReadLinkTarget(path, &target)) {
        statusBar()->showMessage(
            tr("The favorite %1 cannot be read.").arg(QFileInfo(QString::fromStdString(path)).completeBaseName()));
        return;
    }
    // As if the list had been typed: the link's Load checked it as the
    // address bar checks a typed one. What is no folder is opened as a
    // double-click in its folder's view would open it.
    if (model_->Find(target, true) != nullptr)
        Navigate(target);
    else if (!OpenItem(target))
        statusBar()->showMessage(tr("The location cannot be found."));
}

bool ExplorerWindow::OpenItem(const std::vector<BYTE>& absolute)
{
    const std::vector<platform::shell::Element> elements = platform::shell::SplitIdList(absolute);
    NamespaceItem* parent = elements.empty() ? nullptr : model_->Find(platform::shell::ParentIdList(absolute), true);
    const ComPtr<IShellFolder> folder
        = parent != nullptr && parent->IsExtension() ? model_->BindFolder(parent) : nullptr;
    if (!folder)
        return false;
    std::vector<BYTE> child(elements.back().bytes, elements.back().bytes + elements.back().size);
    child.insert(child.end(), {0, 0});
    LPCITEMIDLIST children[] = {reinterpret_cast<LPCITEMIDLIST>(child.data())};
    ComPtr<IContextMenu> menu;
    if (FAILED(folder->GetUIObjectOf(this, 1, children, IContextMenu::kIid, nullptr, menu.ReceiveVoid())) || !menu)
        return false;
    platform::ui::Menu items;
    constexpr UINT kFirst = 1;
    if (FAILED(menu->QueryContextMenu(&items, 0, kFirst, FCIDM_SHVIEWLAST, CMF_DEFAULTONLY)))
        return false;
    // The default item, else the first command offered.
    UINT id = items.GetDefaultItem(false);
    for (int position = 0; id == platform::ui::kNoItem && position < items.GetItemCount(); ++position) {
        const platform::ui::MenuItem* item = items.GetItem(position);
        if (!item->IsPopup() && !item->IsSeparator())
            id = item->id;
    }
    if (id == platform::ui::kNoItem || id < kFirst)
        return false;
    CMINVOKECOMMANDINFO info;
    info.hwnd = this;
    info.lpVerb = MAKEINTRESOURCEA(id - kFirst);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
    return true;
}

bool ExplorerWindow::ReadLinkTarget(const std::string& path, std::vector<BYTE>* target)
{
    ComPtr<IPersistFile> file;
    if (FAILED(platform::com::CoCreateInstance(
            platform::shell::CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IPersistFile::kIid, file.ReceiveVoid())))
        return false;
    const std::u16string wide = QString::fromStdString(path).toStdU16String();
    const ComPtr<IShellLinkA> link = file.As<IShellLinkA>();
    LPITEMIDLIST list = nullptr;
    if (!link || FAILED(file->Load(wide.c_str(), 0)) || link->GetIDList(&list) != S_OK)
        return false;
    const platform::com::TaskMemPtr<ITEMIDLIST> owned(list);
    *target = platform::shell::IdListBytes(owned.get());
    return true;
}

void ExplorerWindow::NameViewButtons()
{
    // A view's button says what the menu item of the same command says.
    const QList<QAction*> items = menuBar()->findChildren<QAction*>();
    for (QAction* button : viewButtons_) {
        for (const QAction* item : items) {
            if (!item->isSeparator() && item->data() == button->data() && !item->text().isEmpty()) {
                button->setToolTip(item->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')));
                break;
            }
        }
    }
}

void ExplorerWindow::DecorateFindEntries()
{
    for (QAction* action : menuBar()->findChildren<QAction*>()) {
        const UINT id = action->data().toUInt();
        if (id < kCommandFindFirst || id > kCommandFindLast || id - kCommandFindFirst >= findEntries_.size())
            continue;
        const FindExtension& entry = findEntries_[id - kCommandFindFirst];
        const QIcon icon(QString::fromUtf8(entry.icon.c_str()));
        action->setIcon(icon.isNull() || icon.availableSizes().isEmpty()
                ? Themed("edit-find", QStyle::SP_FileDialogContentsView)
                : icon);
        action->setStatusTip(QString::fromUtf8(entry.helpText.c_str()));
    }
}

void ExplorerWindow::OnCommand(UINT id)
{
    if (id <= FCIDM_SHVIEWLAST) {
        // Posted: the view may leave, and destroy its window, on a command.
        platform::ui::PostCommand(commandTarget_.data(), static_cast<int>(id));
        return;
    }
    if (id >= kCommandFindFirst && id <= kCommandFindLast) {
        RunFindExtension(id - kCommandFindFirst);
        return;
    }
    switch (id) {
    case kCommandClose:
        close();
        break;
    case kCommandBack:
        GoBack();
        break;
    case kCommandForward:
        GoForward();
        break;
    case kCommandUp:
        GoUp();
        break;
    case kCommandRefresh:
        Refresh();
        break;
    case kCommandAbout:
        QMessageBox::about(this, tr("About Explorer"), tr("Explorer: the desktop shell of the platform."));
        break;
    default:
        if (id >= kCommandFavoriteFirst && id < kCommandFindFirst)
            OpenFavorite(id - kCommandFavoriteFirst);
        break;
    }
}

void ExplorerWindow::OnHighlight(UINT id)
{
    if (id >= kCommandFindFirst && id <= kCommandFindLast && id - kCommandFindFirst < findEntries_.size())
        statusBar()->showMessage(QString::fromUtf8(findEntries_[id - kCommandFindFirst].helpText.c_str()));
}

void ExplorerWindow::RunFindExtension(std::size_t index)
{
    if (index >= findEntries_.size())
        return;
    ComPtr<IContextMenu> menu;
    if (FAILED(modules_->CreateInstance(findEntries_[index].clsid, IContextMenu::kIid, menu.ReceiveVoid())) || !menu)
        return;
    CMINVOKECOMMANDINFO info;
    info.hwnd = this;
    info.lpVerb = MAKEINTRESOURCEA(0);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
}

// ---- The rest of IShellBrowser ----

HWND ExplorerWindow::ViewParent()
{
    return viewArea_;
}

void ExplorerWindow::SetStatusText(const QString& text)
{
    statusBar()->showMessage(text);
}

void ExplorerWindow::EnableModeless(bool enable)
{
    menuBar()->setEnabled(enable);
    toolbar_->setEnabled(enable);
    tree_->setEnabled(enable);
}

HRESULT ExplorerWindow::Browse(const std::vector<BYTE>& list, UINT flags)
{
    std::vector<BYTE> target;
    if ((flags & SBSP_PARENT) != 0) {
        target = platform::shell::ParentIdList(location_);
    } else if ((flags & SBSP_NAVIGATEBACK) != 0) {
        QMetaObject::invokeMethod(this, &ExplorerWindow::GoBack, Qt::QueuedConnection);
        return S_OK;
    } else if ((flags & SBSP_NAVIGATEFORWARD) != 0) {
        QMetaObject::invokeMethod(this, &ExplorerWindow::GoForward, Qt::QueuedConnection);
        return S_OK;
    } else if (list.size() < 2) {
        return E_INVALIDARG;
    } else if ((flags & SBSP_RELATIVE) != 0) {
        target = platform::shell::AppendElement(location_, list.data(), list.size() - 2);
    } else {
        target = list;
    }
    // Queued: the view that asks is still on the stack, and leaving it
    // destroys its window.
    QMetaObject::invokeMethod(
        this, [this, target] { Navigate(target); }, Qt::QueuedConnection);
    return S_OK;
}

HWND ExplorerWindow::ControlWindow(UINT id)
{
    switch (id) {
    case FCW_TOOLBAR:
        return toolbar_;
    case FCW_STATUS:
        return statusBar();
    case FCW_TREE:
        return tree_;
    default:
        return nullptr;
    }
}

HRESULT ExplorerWindow::ControlMessage(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT answer = 0;
    if (id == FCW_TOOLBAR && message == TB_ADDBITMAP) {
        const auto* bitmap = reinterpret_cast<const TBADDBITMAP*>(lParam);
        std::vector<QIcon> images;
        if (bitmap != nullptr && bitmap->hInst == HINST_COMMCTRL)
            images = StandardToolbarImages(bitmap->nID);
        if (images.empty() || wParam > images.size()) {
            answer = -1;
        } else {
            answer = static_cast<LRESULT>(toolbarImages_.size());
            toolbarImages_.insert(toolbarImages_.end(), images.begin(), images.begin() + static_cast<long>(wParam));
        }
    } else if (id == FCW_TOOLBAR && message == TB_BUTTONCOUNT) {
        answer = static_cast<LRESULT>(toolbar_->actions().size());
    } else if (id == FCW_STATUS && message == SB_SETTEXTA) {
        const auto* text = reinterpret_cast<const char*>(lParam);
        statusBar()->showMessage(text != nullptr ? QString::fromUtf8(text) : QString());
    } else {
        return E_NOTIMPL;
    }
    if (result != nullptr)
        *result = answer;
    return S_OK;
}

HRESULT ExplorerWindow::ToolbarItems(const TBBUTTON* buttons, UINT count, UINT)
{
    for (QAction* action : viewButtons_) {
        toolbar_->removeAction(action);
        delete action;
    }
    viewButtons_.clear();
    for (UINT i = 0; buttons != nullptr && i < count; ++i) {
        const TBBUTTON& button = buttons[i];
        QAction* action = nullptr;
        if ((button.fsStyle & TBSTYLE_SEP) != 0) {
            action = toolbar_->addSeparator();
        } else {
            action = toolbar_->addAction(QString());
            if (button.iBitmap >= 0 && static_cast<std::size_t>(button.iBitmap) < toolbarImages_.size())
                action->setIcon(toolbarImages_[static_cast<std::size_t>(button.iBitmap)]);
            const UINT id = static_cast<UINT>(button.idCommand);
            action->setData(id);
            action->setEnabled((button.fsState & TBSTATE_ENABLED) != 0);
            connect(action, &QAction::triggered, this,
                [this, id] { platform::ui::PostCommand(viewWindow_.data(), static_cast<int>(id)); });
        }
        action->setVisible((button.fsState & TBSTATE_HIDDEN) == 0);
        viewButtons_.append(action);
    }
    NameViewButtons();
    return S_OK;
}

} // namespace host::explorer
