#include "views/ViewList.h"

#include "items/CatItem.h"
#include "items/Images.h"
#include "items/ShelfFolder.h"
#include "module/Resources.h"
#include "module/Settings.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuWidgets.h"
#include "platform/ui/Strings.h"
#include "views/ListPrinter.h"

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QStackedLayout>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace pellidor {

namespace {

// The item commands the control and the Explorer's own commands reach.
constexpr UINT kItemProperties = 25;
constexpr UINT kItemDelete = 26;
constexpr UINT kItemRename = 32;

constexpr DWORD kDefaultColumnWidth = 100;
// A width beyond this is no width anybody dragged: the default is used.
constexpr DWORD kWidestColumn = 10000;
// Items laid out between two paints of the icon face.
constexpr int kLayoutBatch = 500;

std::string ValueName(char prefix, int column)
{
    char name[8];
    std::snprintf(name, sizeof name, "%c%02i", prefix, column);
    return name;
}

} // namespace

// The entries: item pointers in insertion order; every text and icon is
// asked of the item when a face paints it.
class ViewListModel : public QAbstractTableModel {
public:
    explicit ViewListModel(QWidget* owner) : owner_(owner) { }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(items_.size());
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : std::max(1, static_cast<int>(headings_.size()));
    }
    // Without the base's checks through the virtual counts: a sort asks
    // for two indexes per comparison.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        const int columns = std::max(1, static_cast<int>(headings_.size()));
        if (parent.isValid() || row < 0 || column < 0 || row >= static_cast<int>(items_.size()) || column >= columns)
            return {};
        return createIndex(row, column);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        CCatItem* item = Item(index.row());
        if (item == nullptr)
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(item->GetColumnText(index.column(), false));
        case Qt::DecorationRole:
            return index.column() == 0 ? QVariant(IconFor(item->GetIconIndex())) : QVariant();
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
            || section >= static_cast<int>(headings_.size()))
            return {};
        return headings_[static_cast<std::size_t>(section)];
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        // Asked for every row at every layout of the details face: no
        // entry has children, and the class test is made only where a
        // label may be edited at all.
        Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
        // Only a shelf folder is renamed in place; catalogs, folders and
        // files inside a catalog keep their names.
        if (labelEditing_ && index.column() == 0 && dynamic_cast<CShelfFolder*>(Item(index.row())) != nullptr)
            flags |= Qt::ItemIsEditable;
        return flags;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        CCatItem* item = Item(index.row());
        if (role != Qt::EditRole || item == nullptr || (flags(index) & Qt::ItemIsEditable) == 0)
            return false;
        const std::string text = value.toString().toStdString();
        if (text == item->GetColumnText(0, false))
            return false;
        if (!item->Rename(owner_, text))
            return false;
        Q_EMIT dataChanged(index.siblingAtColumn(0), index.siblingAtColumn(columnCount({}) - 1));
        return true;
    }

    CCatItem* Item(int row) const
    {
        return row >= 0 && row < static_cast<int>(items_.size()) ? items_[static_cast<std::size_t>(row)] : nullptr;
    }
    void Reset(const std::vector<CCatItem*>& items)
    {
        beginResetModel();
        items_ = items;
        endResetModel();
    }
    void Append(const std::vector<CCatItem*>& items)
    {
        if (items.empty())
            return;
        const int first = static_cast<int>(items_.size());
        beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
        items_.insert(items_.end(), items.begin(), items.end());
        endInsertRows();
    }
    void AddHeading(int n, const QString& text)
    {
        // A first column replaces the stand-in single column an empty header
        // set reports.
        n = std::clamp(n, 0, static_cast<int>(headings_.size()));
        if (headings_.empty()) {
            headings_.insert(headings_.begin(), text);
            Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
            return;
        }
        beginInsertColumns({}, n, n);
        headings_.insert(headings_.begin() + n, text);
        endInsertColumns();
    }
    int HeadingCount() const { return static_cast<int>(headings_.size()); }
    void SetLabelEditing(bool allowed) { labelEditing_ = allowed; }

private:
    QIcon IconFor(int index) const
    {
        if (index < 0)
            return {};
        if (static_cast<std::size_t>(index) >= icons_.size())
            icons_.resize(static_cast<std::size_t>(index) + 1);
        QIcon& icon = icons_[static_cast<std::size_t>(index)];
        if (icon.isNull()) {
            CImages& images = CImages::Instance();
            icon.addPixmap(images.LargeList().Pixmap(index));
            icon.addPixmap(images.SmallList().Pixmap(index));
        }
        return icon;
    }

    QWidget* owner_;
    bool labelEditing_ = true;
    std::vector<CCatItem*> items_;
    std::vector<QString> headings_;
    // The image lists only grow, so an index keeps its picture.
    mutable std::vector<QIcon> icons_;
};

// Orders the entries by the items' own comparison, in its one direction:
// a permutation of the model's rows, changed only by a sort (never behind
// the user's back: a renamed entry keeps its place until the next sort).
// New rows go to the end.
class ViewListProxy : public QAbstractProxyModel {
public:
    explicit ViewListProxy(ViewListModel* model) : model_(*model)
    {
        setSourceModel(model);
        QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
        QObject::connect(model, &QAbstractItemModel::modelReset, this, [this] {
            order_.clear();
            place_.clear();
            Follow(model_.rowCount({}));
            endResetModel();
        });
        QObject::connect(
            model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this](const QModelIndex&, int first, int last) {
                const int rows = static_cast<int>(order_.size());
                beginInsertRows({}, rows, rows + last - first);
            });
        QObject::connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
            Follow(model_.rowCount({}));
            endInsertRows();
        });
        QObject::connect(model, &QAbstractItemModel::columnsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) { beginInsertColumns({}, first, last); });
        QObject::connect(model, &QAbstractItemModel::columnsInserted, this, [this] { endInsertColumns(); });
        QObject::connect(model, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
        QObject::connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                // One entry at a time: a rename.
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    Q_EMIT dataChanged(
                        mapFromSource(topLeft.siblingAtRow(row)), mapFromSource(bottomRight.siblingAtRow(row)), roles);
            });
    }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        if (parent.isValid() || row < 0 || column < 0 || row >= static_cast<int>(order_.size())
            || column >= model_.columnCount({}))
            return {};
        return createIndex(row, column);
    }
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(order_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : model_.columnCount({});
    }
    bool hasChildren(const QModelIndex& parent) const override { return !parent.isValid() && !order_.empty(); }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return model_.headerData(section, orientation, role);
    }
    QModelIndex mapToSource(const QModelIndex& proxy) const override
    {
        if (!proxy.isValid() || proxy.row() >= static_cast<int>(order_.size()))
            return {};
        return model_.index(order_[static_cast<std::size_t>(proxy.row())], proxy.column());
    }
    QModelIndex mapFromSource(const QModelIndex& source) const override
    {
        if (!source.isValid() || source.row() >= static_cast<int>(place_.size()))
            return {};
        return index(place_[static_cast<std::size_t>(source.row())], source.column());
    }

    void sort(int column, Qt::SortOrder) override
    {
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        // The selection and the current entry follow their items.
        const QModelIndexList before = persistentIndexList();
        std::vector<std::pair<int, int>> sources;
        sources.reserve(static_cast<std::size_t>(before.size()));
        for (const QModelIndex& index : before)
            sources.emplace_back(order_[static_cast<std::size_t>(index.row())], index.column());
        order_ = SortedRows(column);
        for (std::size_t row = 0; row < order_.size(); ++row)
            place_[static_cast<std::size_t>(order_[row])] = static_cast<int>(row);
        QModelIndexList after;
        after.reserve(before.size());
        for (const auto& [row, sourceColumn] : sources)
            after.push_back(index(place_[static_cast<std::size_t>(row)], sourceColumn));
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    // A row's key laid out for sorting many rows: the group and the first
    // characters inline, so that most comparisons read only the array being
    // sorted and never chase the texts through memory.
    struct Packed {
        int group;
        int row;
        std::array<std::uint64_t, 4> head; // 16 UTF-16 units, 4 to a word, zero padded
        bool whole; // the head holds the whole text
    };

    // New rows at the end, in the model's order.
    void Follow(int rows)
    {
        for (int row = static_cast<int>(order_.size()); row < rows; ++row) {
            order_.push_back(row);
            place_.push_back(row);
        }
    }

    // The model's rows in the order of the items' own comparison: each
    // item's key once, then one stable sort of the packed keys, falling back
    // on the whole keys only where 16 characters do not decide.
    std::vector<int> SortedRows(int column) const
    {
        const int rows = model_.rowCount({});
        std::vector<CCatItem::SortKey> keys;
        keys.reserve(static_cast<std::size_t>(rows));
        std::vector<Packed> packed;
        packed.reserve(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            keys.push_back(model_.Item(row)->MakeSortKey(column));
            packed.push_back(Pack(keys.back(), row));
        }
        std::stable_sort(packed.begin(), packed.end(), [&keys](const Packed& a, const Packed& b) {
            if (a.group != b.group || a.head != b.head)
                return a.group != b.group ? a.group > b.group : a.head < b.head;
            if (a.whole && b.whole)
                return false;
            return CCatItem::CompareSortKeys(
                       keys[static_cast<std::size_t>(a.row)], keys[static_cast<std::size_t>(b.row)])
                < 0;
        });
        std::vector<int> order;
        order.reserve(packed.size());
        for (const Packed& entry : packed)
            order.push_back(entry.row);
        return order;
    }

    static Packed Pack(const CCatItem::SortKey& key, int row)
    {
        Packed packed{key.group, row, {}, key.text.size() <= 16};
        // Big-endian within each word: comparing the words compares the
        // units in order, as the text comparison does.
        const qsizetype units = std::min<qsizetype>(key.text.size(), 16);
        for (qsizetype i = 0; i < units; ++i) {
            const auto unit = static_cast<std::uint64_t>(key.text.at(i).unicode());
            packed.head[static_cast<std::size_t>(i / 4)] |= unit << (48 - 16 * (i % 4));
        }
        return packed;
    }

    const ViewListModel& model_;
    std::vector<int> order_; // the model's row shown at each row
    std::vector<int> place_; // the row showing each of the model's rows
};

namespace {

// A face that tells the control when the user starts dragging.
template <class Base>
class Face : public Base {
public:
    explicit Face(std::function<void()> dragStarted) : dragStarted_(std::move(dragStarted)) { }

protected:
    void startDrag(Qt::DropActions) override
    {
        if (dragStarted_)
            dragStarted_();
    }

private:
    std::function<void()> dragStarted_;
};

} // namespace

CViewList::CViewList(QWidget* parent)
    : QWidget(parent)
    , model_(std::make_unique<ViewListModel>(this))
    , proxy_(std::make_unique<ViewListProxy>(model_.get()))
{
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    auto startDrag = [this] {
        if (CCatItem* item = GetSelectedItem(); item != nullptr && drag_)
            drag_(*item);
    };
    icons_ = new Face<QListView>(startDrag);
    details_ = new Face<QTreeView>(startDrag);
    icons_->setModel(proxy_.get());
    details_->setModel(proxy_.get());
    // One selection for both faces, so switching keeps it.
    delete details_->selectionModel();
    details_->setSelectionModel(icons_->selectionModel());
    // Not uniform: an item's size comes from its own name.
    icons_->setUniformItemSizes(false);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setWrapping(true);
    icons_->setMovement(QListView::Static);
    // Every item's size is its own, so a layout asks each item: in batches,
    // the first screen of a big folder shows before the last item is laid
    // out.
    icons_->setLayoutMode(QListView::Batched);
    icons_->setBatchSize(kLayoutBatch);
    details_->setRootIsDecorated(false);
    details_->setUniformRowHeights(true);
    details_->setItemsExpandable(false);
    details_->setAllColumnsShowFocus(true);
    details_->header()->setSectionsMovable(true);
    details_->header()->setStretchLastSection(false);
    details_->header()->setSectionsClickable(true);
    details_->header()->setDefaultSectionSize(static_cast<int>(kDefaultColumnWidth));
    QObject::connect(details_->header(), &QHeaderView::sectionClicked, this, [this](int column) { Sort(column); });
    WireFace(icons_);
    WireFace(details_);
    stack_->addWidget(icons_);
    stack_->addWidget(details_);
    platform::ui::SetWindowText(this, "");
}

CViewList::~CViewList()
{
    // The faces go before the models they show.
    delete icons_;
    delete details_;
}

void CViewList::WireFace(QAbstractItemView* face)
{
    face->setSelectionMode(QAbstractItemView::SingleSelection);
    face->setSelectionBehavior(QAbstractItemView::SelectRows);
    face->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    face->setDragEnabled(true);
    face->setDragDropMode(QAbstractItemView::DragOnly);
    face->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(face, &QAbstractItemView::customContextMenuRequested, this,
        [this, face](const QPoint& at) { ShowContextMenu(face->viewport()->mapToGlobal(at)); });
    QObject::connect(face, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (CCatItem* item = model_->Item(proxy_->mapToSource(index).row()); item != nullptr && open_)
            open_(*item);
    });
}

bool CViewList::Create(const FOLDERSETTINGS& settings)
{
    flags_ = settings.fFlags;
    mode_ = settings.ViewMode;
    ApplyFace();
    return true;
}

FOLDERSETTINGS CViewList::GetSettings() const
{
    FOLDERSETTINGS settings;
    settings.ViewMode = mode_;
    settings.fFlags = flags_;
    return settings;
}

void CViewList::SetMode(UINT mode)
{
    mode_ = mode;
    ApplyFace();
}

void CViewList::ApplyFace()
{
    QWidget* before = stack_->currentWidget();
    const bool hadFocus = before != nullptr && before->hasFocus();
    switch (mode_) {
    case FVM_DETAILS:
        stack_->setCurrentWidget(details_);
        break;
    case FVM_SMALLICON:
    case FVM_LIST:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(mode_ == FVM_LIST ? QListView::TopToBottom : QListView::LeftToRight);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize());
        icons_->setWordWrap(false);
        stack_->setCurrentWidget(icons_);
        break;
    default:
        // Large icons, also for a mode that is none of the four.
        icons_->setViewMode(QListView::IconMode);
        icons_->setFlow(QListView::LeftToRight);
        icons_->setIconSize(QSize(32, 32));
        icons_->setGridSize(QSize(96, 72));
        icons_->setWordWrap(true);
        stack_->setCurrentWidget(icons_);
        break;
    }
    if (hadFocus)
        stack_->currentWidget()->setFocus();
}

QAbstractItemView* CViewList::CurrentFace() const
{
    return mode_ == FVM_DETAILS ? static_cast<QAbstractItemView*>(details_) : icons_;
}

void CViewList::InsertColumn(std::string_view section, int n, UINT stringId)
{
    DWORD width = kDefaultColumnWidth;
    DWORD position = static_cast<DWORD>(n);
    platform::registry::Key key;
    if (key.Open(platform::registry::Hive::CurrentUser, SettingsKey(section)) == 0) {
        DWORD value = 0;
        if (key.QueryDword(ValueName('C', n), value) == 0 && value <= kWidestColumn)
            width = value;
        if (key.QueryDword(ValueName('O', n), value) == 0)
            position = value;
    }
    model_->AddHeading(n, QString::fromStdString(platform::ui::LoadString(kProductResources, stringId)));
    QHeaderView* header = details_->header();
    const int column = std::clamp(n, 0, model_->HeadingCount() - 1);
    header->resizeSection(column, static_cast<int>(width));
    // A position past the columns so far puts the column at the end, as a
    // position of the common control does.
    const int last = model_->HeadingCount() - 1;
    const int wanted = position > static_cast<DWORD>(last) ? last : static_cast<int>(position);
    header->moveSection(header->visualIndex(column), wanted);
}

void CViewList::SetLabelEditing(bool allowed)
{
    model_->SetLabelEditing(allowed);
}

int CViewList::ColumnCount() const
{
    return model_->HeadingCount();
}

std::string CViewList::HeadingText(int column) const
{
    return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
}

void CViewList::SaveColumns(std::string_view section) const
{
    platform::registry::Key key;
    if (key.Create(platform::registry::Hive::CurrentUser, SettingsKey(section)) != 0)
        return;
    const QHeaderView* header = details_->header();
    for (int n = 0; n < model_->HeadingCount(); ++n) {
        key.SetDword(ValueName('C', n), static_cast<DWORD>(header->sectionSize(n)));
        key.SetDword(ValueName('O', n), static_cast<DWORD>(header->visualIndex(n)));
    }
}

std::vector<std::pair<int, int>> CViewList::ColumnsInDisplayOrder() const
{
    std::vector<std::pair<int, int>> columns;
    const QHeaderView* header = details_->header();
    for (int visual = 0; visual < model_->HeadingCount(); ++visual) {
        const int logical = header->logicalIndex(visual);
        columns.emplace_back(logical, header->sectionSize(logical));
    }
    return columns;
}

void CViewList::DeleteAllItems()
{
    model_->Reset({});
}

void CViewList::InsertItems(const std::vector<CCatItem*>& items)
{
    model_->Append(items);
}

int CViewList::ItemCount() const
{
    return proxy_->rowCount();
}

void CViewList::Sort(int column)
{
    if (column < 0 || column >= std::max(1, model_->HeadingCount()))
        return;
    proxy_->sort(column, Qt::AscendingOrder);
}

CCatItem* CViewList::GetSelectedItem() const
{
    const QModelIndexList rows = icons_->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : model_->Item(proxy_->mapToSource(rows.first()).row());
}

CCatItem* CViewList::ItemAt(int row) const
{
    return model_->Item(proxy_->mapToSource(proxy_->index(row, 0)).row());
}

void CViewList::SelectRow(int row)
{
    const QModelIndex index = proxy_->index(row, 0);
    icons_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::string CViewList::TextAt(int row, int column) const
{
    return proxy_->index(row, column).data(Qt::DisplayRole).toString().toStdString();
}

bool CViewList::IsListCommand(UINT id)
{
    return (id >= kCmdLargeIcons && id <= kCmdDetails) || (id >= 6 && id <= 15) || id == kCmdPrint
        || id == kCmdExplorerDelete || id == kCmdExplorerProperties || id == kCmdExplorerNextMode
        || (id >= kCmdItemFirst && id <= kCmdItemLast);
}

LRESULT CViewList::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return 0;
    const UINT id = static_cast<UINT>(wParam & 0xFFFF);
    // The sort commands of both views' menus and the column each sorts by.
    static constexpr int kSortColumns[] = {0, 2, 1, 3, 0, 2, 3, 5, 1, 6};
    if (id >= kCmdLargeIcons && id <= kCmdDetails)
        SetMode(id);
    else if (id >= 6 && id <= 15)
        Sort(kSortColumns[id - 6]);
    else if (id == kCmdPrint)
        Print();
    else if (id == kCmdExplorerNextMode) {
        // Only a mode of the four goes on to the next.
        if (mode_ >= FVM_ICON && mode_ <= FVM_DETAILS)
            SetMode(mode_ == FVM_DETAILS ? FVM_ICON : mode_ + 1);
    } else if (id == kCmdExplorerDelete)
        InvokeItemCommand(kItemDelete);
    else if (id == kCmdExplorerProperties)
        InvokeItemCommand(kItemProperties);
    else if (id == kCmdItemFirst + kItemRename)
        BeginRename();
    else if (id >= kCmdItemFirst && id <= kCmdItemLast)
        InvokeItemCommand(id - kCmdItemFirst);
    return 0;
}

void CViewList::ShowContextMenu(const QPoint& at)
{
    CCatItem* item = GetSelectedItem();
    if (item == nullptr)
        return;
    const auto menuHandler = platform::com::ComPtr<CCatItem>::AddRefed(item).As<IContextMenu>();
    if (!menuHandler)
        return;
    platform::ui::MenuPtr menu = platform::ui::CreatePopupMenu();
    if (FAILED(menuHandler->QueryContextMenu(menu.get(), 0, kCmdItemFirst, kCmdItemLast, CMF_NORMAL)))
        return;
    UINT chosen = 0;
    QMenu popup(this);
    platform::ui::FillQMenu(*menu, &popup, [&chosen](UINT id) { chosen = id; });
    popup.exec(at);
    if (chosen != 0)
        HandleMessage(WM_COMMAND, chosen, 0);
}

void CViewList::InvokeItemCommand(UINT verb)
{
    CCatItem* item = GetSelectedItem();
    if (item == nullptr)
        return;
    const auto menuHandler = platform::com::ComPtr<CCatItem>::AddRefed(item).As<IContextMenu>();
    if (!menuHandler)
        return;
    CMINVOKECOMMANDINFO info;
    info.hwnd = this;
    info.lpVerb = MAKEINTRESOURCEA(verb);
    menuHandler->InvokeCommand(&info);
}

void CViewList::BeginRename()
{
    QAbstractItemView* face = CurrentFace();
    const QModelIndexList rows = face->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    face->setCurrentIndex(rows.first());
    // Refused quietly for an entry that is not editable.
    face->edit(rows.first());
}

void CViewList::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    // Named before the dialog, which offers a file of this name.
    printer.setDocName(QStringLiteral("Pellidor"));
    QPrintDialog dialog(&printer, this);
    // No selection, no page range; copies and collation are the printer's.
    // The dialog's file printer stays: here it is the PDF printer, the only
    // one a machine without a print server has, not the box that sends a
    // printer's raw output to a file.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CListPrinter(*this).Print(printer);
}

} // namespace pellidor
