#include "search/SearchPageName.h"

#include "items/Images.h"
#include "items/ShelfFolder.h"
#include "search/HistoryComboBox.h"
#include "ui_SearchPageName.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace pellidor {

namespace {

using platform::com::ComPtr;

constexpr const char* kShelfName = "Pellidor";
// The small pictures of the shelf and of a shelf folder.
constexpr int kShelfImage = 4;
constexpr int kFolderImage = 1;
// How far each level of the list is indented, in pixels.
constexpr int kIndentPixels = 10;
constexpr int kIndentRole = Qt::UserRole + 2;

// The list of the "Look in" box draws each folder indented by its depth,
// as an extended combo box does; the closed box shows the chosen entry
// without indent.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + index.data(kIndentRole).toInt() * kIndentPixels);
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(kIndentRole).toInt() * kIndentPixels;
        return size;
    }
};

} // namespace

CSearchPageName::CSearchPageName(SearchCriteria& criteria, QWidget* parent)
    : CSearchPage(criteria, parent)
    , ui_(std::make_unique<Ui::SearchPageName>())
{
    ui_->setupUi(this);
    ui_->id1003->SetKey(platform::registry::Hive::CurrentUser, kHistoryKey);
    ui_->id1004->setItemDelegate(new IndentDelegate(ui_->id1004));
    ui_->id1004->setIconSize(QSize(16, 16));
}

CSearchPageName::~CSearchPageName()
{
    // The box's entries go before the references behind them.
    ui_->id1004->clear();
}

CHistoryComboBox* CSearchPageName::NameBox() const
{
    return ui_->id1003;
}

QComboBox* CSearchPageName::LookInBox() const
{
    return ui_->id1004;
}

QCheckBox* CSearchPageName::SubfoldersBox() const
{
    return ui_->id1005;
}

CShelfFolder* CSearchPageName::FolderAt(int index) const
{
    return index >= 0 && index < static_cast<int>(folders_.size()) ? folders_[static_cast<std::size_t>(index)].Get()
                                                                   : nullptr;
}

void CSearchPageName::OnInitDialog()
{
    ui_->id1005->setChecked(criteria_.IncludeSubfolders);
    ui_->id1003->setEditText(QString::fromStdString(criteria_.NamePattern));
    ui_->id1003->Load();
    FillLookIn();
}

void CSearchPageName::FillLookIn()
{
    const auto root = platform::com::MakeCom<CShelfFolder>();
    // The shelf's own place in the namespace: the empty list.
    const BYTE emptyList[2] = {0, 0};
    root->Initialize(reinterpret_cast<LPCITEMIDLIST>(emptyList));
    AddFolder(root, QString::fromUtf8(kShelfName), kShelfImage, 0);
    AddSubFolders(*root, 1);
    ui_->id1004->setCurrentIndex(0);
}

void CSearchPageName::AddSubFolders(CShelfFolder& folder, int depth)
{
    if (!folder.LoadChildren(false))
        return;
    for (int i = 0; i < folder.GetChildCount(); ++i) {
        auto* child = dynamic_cast<CShelfFolder*>(folder.GetChild(i));
        if (child == nullptr)
            continue;
        AddFolder(ComPtr<CShelfFolder>::AddRefed(child), QString::fromStdString(child->GetName()), kFolderImage, depth);
        AddSubFolders(*child, depth + 1);
    }
}

void CSearchPageName::AddFolder(const ComPtr<CShelfFolder>& folder, const QString& text, int image, int depth)
{
    folders_.push_back(folder);
    QComboBox* box = ui_->id1004;
    box->addItem(CImages::Instance().SmallList().Icon(image), text);
    box->setItemData(box->count() - 1, depth, kIndentRole);
}

bool CSearchPageName::Exchange()
{
    criteria_.IncludeSubfolders = ui_->id1005->isChecked();
    criteria_.NamePattern = ui_->id1003->currentText().toStdString();
    criteria_.LookIn = ShelfFolderHandle(ComPtr<CShelfFolder>::AddRefed(FolderAt(ui_->id1004->currentIndex())));
    return true;
}

} // namespace pellidor
