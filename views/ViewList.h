#pragma once
// CViewList: the list control of both views and of the search results. It
// holds no item data: each entry is a pointer to an item object owned by the
// folder (or the search), and every text, icon, comparison and command is
// asked of that item when the control needs it.
//
// One model, two faces: large icons, small icons and list are a QListView,
// details is a QTreeView with a movable header; switching the mode switches
// the face and keeps the model and the selection. Sorting goes through a
// proxy that orders by the items' CompareTo; the entries stay in the order
// they were inserted. User-interface thread only.

#include "platform/com/ShellTypes.h"
#include "platform/ui/Messages.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTreeView;

namespace pellidor {

class CCatItem;
class ViewListModel;
class ViewListProxy;

// The commands the control handles (WM_COMMAND ids).
enum ViewListCommand : UINT {
    kCmdLargeIcons = 1,
    kCmdSmallIcons = 2,
    kCmdList = 3,
    kCmdDetails = 4,
    kCmdPrint = 18,
    kCmdExplorerDelete = 28689,
    kCmdExplorerProperties = 28691,
    kCmdExplorerNextMode = 28718,
    kCmdItemFirst = 0x8000,
    kCmdItemLast = 0xBFFF,
};
// The control id of the views' list.
constexpr int kViewListControlId = 1020;

class CViewList : public QWidget, public platform::ui::MessageHandler {
public:
    // Called with the entry the user opened (double click or Enter).
    using OpenHandler = std::function<void(CCatItem& item)>;
    // Called when the user starts dragging the entry.
    using DragHandler = std::function<void(CCatItem& item)>;

    explicit CViewList(QWidget* parent = nullptr);
    ~CViewList() override;

    // Takes the folder settings: the mode is kept as given and reported back
    // by GetSettings even when it is none of the four (large icons shown).
    bool Create(const FOLDERSETTINGS& settings);
    FOLDERSETTINGS GetSettings() const;
    UINT Mode() const { return mode_; }

    // Column n with the heading of string `stringId`, its width and display
    // position read from HKCU Software\<module>\<section> ("C%02i", "O%02i").
    void InsertColumn(std::string_view section, int n, UINT stringId);
    int ColumnCount() const;
    // The heading of column n.
    std::string HeadingText(int column) const;
    // Writes every column's width and display position; the only writer.
    void SaveColumns(std::string_view section) const;

    void DeleteAllItems();
    // Appends entries in the given order; the items are not owned.
    void InsertItems(const std::vector<CCatItem*>& items);
    int ItemCount() const;
    // Sorts by `column` with the items' own comparison, one direction only.
    void Sort(int column);
    // The item of the selected entry, or null.
    CCatItem* GetSelectedItem() const;
    // The item shown at row `row` (display order), or null.
    CCatItem* ItemAt(int row) const;
    void SelectRow(int row);
    // The text the control shows for row `row` (display order) and `column`.
    std::string TextAt(int row, int column) const;

    // Whether a shelf folder's label may be edited in place (the default);
    // a list without it edits nothing.
    void SetLabelEditing(bool allowed);

    void SetOpenHandler(OpenHandler handler) { open_ = std::move(handler); }
    void SetDragHandler(DragHandler handler) { drag_ = std::move(handler); }

    // The face the current mode shows, and the other one.
    QAbstractItemView* CurrentFace() const;
    QListView* IconFace() const { return icons_; }
    QTreeView* DetailsFace() const { return details_; }

    // WM_COMMAND: the mode, sort, print and item commands.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // True when `id` is one of the control's commands.
    static bool IsListCommand(UINT id);

    // The columns in display order with their on-screen widths (for the
    // printer).
    std::vector<std::pair<int, int>> ColumnsInDisplayOrder() const;

private:
    void SetMode(UINT mode);
    void ApplyFace();
    void ShowContextMenu(const QPoint& at);
    void InvokeItemCommand(UINT verb);
    void BeginRename();
    void Print();
    void WireFace(QAbstractItemView* face);

    UINT mode_ = FVM_ICON;
    UINT flags_ = 0;
    std::unique_ptr<ViewListModel> model_;
    std::unique_ptr<ViewListProxy> proxy_;
    QStackedLayout* stack_ = nullptr;
    QListView* icons_ = nullptr;
    QTreeView* details_ = nullptr;
    OpenHandler open_;
    DragHandler drag_;
};

} // namespace pellidor
