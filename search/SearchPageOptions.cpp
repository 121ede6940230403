#include "search/SearchPageOptions.h"

#include "module/Resources.h"
#include "pages/SpinButton.h"
#include "search/FileTypeComboBox.h"
#include "ui_SearchPageOptions.h"

namespace pellidor {

namespace {

constexpr UINT kAtLeastText = 2012; // "Minimal"
constexpr UINT kAtMostText = 2013; // "Maximum"

} // namespace

CSearchPageOptions::CSearchPageOptions(SearchCriteria& criteria, QWidget* parent)
    : CSearchPage(criteria, parent)
    , ui_(std::make_unique<Ui::SearchPageOptions>())
{
    ui_->setupUi(this);
    // In the order of SizeModeKind.
    ui_->id1019->addItem(QString());
    ui_->id1019->addItem(QString::fromStdString(LoadString(kAtLeastText)));
    ui_->id1019->addItem(QString::fromStdString(LoadString(kAtMostText)));
    ui_->id1021->SetBuddy(ui_->id1020);
    ui_->id1021->SetRange(kSpinLowest, kSpinHighest);
}

CSearchPageOptions::~CSearchPageOptions() = default;

void CSearchPageOptions::OnInitDialog()
{
    ui_->id1020->setText(QString::number(criteria_.SizeKB));
    ui_->id1019->setCurrentIndex(criteria_.SizeMode);
    ui_->id1018->Fill();
}

bool CSearchPageOptions::Exchange()
{
    if (!ReadUnsigned(ui_->id1020, criteria_.SizeKB))
        return false;
    criteria_.SizeMode = ui_->id1019->currentIndex();
    criteria_.TypeExtensions = ui_->id1018->SelectedExtensions();
    return true;
}

} // namespace pellidor
