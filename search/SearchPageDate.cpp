#include "search/SearchPageDate.h"

#include "module/Resources.h"
#include "pages/SpinButton.h"
#include "ui_SearchPageDate.h"

#include <QDateTime>
#include <QRadioButton>

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace pellidor {

namespace {

// The times of the date kinds, in the order of DateTimeKind.
constexpr UINT kKindTexts[] = {2016, 2015, 2014}; // "Changed", "Created", "Access"

QDateTime ToDateTime(std::int32_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds);
}

// The picker's day at the time of day its value had: the pickers show days
// only, and a day chosen keeps the moment's hour and minute.
std::int32_t ToSeconds(const QDate& day, const QTime& timeOfDay)
{
    const QDateTime time(day, timeOfDay);
    return static_cast<std::int32_t>(std::clamp<qint64>(
        time.toSecsSinceEpoch(), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The index of the checked radio of `group`; -1 when none is.
int CheckedIndex(std::initializer_list<const QRadioButton*> group)
{
    int index = 0;
    for (const QRadioButton* button : group) {
        if (button->isChecked())
            return index;
        ++index;
    }
    return -1;
}

} // namespace

CSearchPageDate::CSearchPageDate(SearchCriteria& criteria, QWidget* parent)
    : CSearchPage(criteria, parent)
    , ui_(std::make_unique<Ui::SearchPageDate>())
{
    ui_->setupUi(this);
    for (const UINT id : kKindTexts)
        ui_->id1008->addItem(QString::fromStdString(LoadString(id)));
    ui_->id1015->SetBuddy(ui_->id1014);
    ui_->id1015->SetRange(kMinDays, kMaxDays);
    ui_->id1017->SetBuddy(ui_->id1016);
    ui_->id1017->SetRange(kMinDays, kMaxDays);
    connect(ui_->id1006, &QRadioButton::clicked, this, [this] { SetState(kAllFiles); });
    connect(ui_->id1007, &QRadioButton::clicked, this, &CSearchPageDate::OnFollowingFiles);
    connect(ui_->id1009, &QRadioButton::clicked, this, [this] { SetState(kDateBetween); });
    connect(ui_->id1011, &QRadioButton::clicked, this, [this] { SetState(kDateDays); });
    connect(ui_->id1012, &QRadioButton::clicked, this, [this] { SetState(kDateMonths); });
}

CSearchPageDate::~CSearchPageDate() = default;

void CSearchPageDate::OnInitDialog()
{
    ui_->id1008->setCurrentIndex(criteria_.DateKind);
    const QDateTime from = ToDateTime(criteria_.FromDate);
    const QDateTime to = ToDateTime(criteria_.ToDate);
    ui_->id1010->setDateTime(from);
    ui_->id1013->setDateTime(to);
    fromTimeOfDay_ = from.time();
    toTimeOfDay_ = to.time();
    ui_->id1014->setText(QString::number(criteria_.Days));
    ui_->id1016->setText(QString::number(criteria_.Months));
    // The range radios show the criteria's range; the page starts on all
    // files whatever the filter was.
    SetState(kAllFiles);
    ui_->id1009->setChecked(criteria_.DateRange == kDateBetween);
    ui_->id1011->setChecked(criteria_.DateRange == kDateDays);
    ui_->id1012->setChecked(criteria_.DateRange == kDateMonths);
}

void CSearchPageDate::SetState(int state)
{
    state_ = state;
    ui_->id1006->setChecked(state == kAllFiles);
    ui_->id1007->setChecked(state != kAllFiles);
    if (state != kAllFiles) {
        ui_->id1009->setChecked(state == kDateBetween);
        ui_->id1011->setChecked(state == kDateDays);
        ui_->id1012->setChecked(state == kDateMonths);
    }
    ui_->id1008->setEnabled(state != kAllFiles);
    ui_->id1010->setEnabled(state == kDateBetween);
    ui_->id1013->setEnabled(state == kDateBetween);
    for (QWidget* control : {static_cast<QWidget*>(ui_->id1014), static_cast<QWidget*>(ui_->id1015)})
        control->setEnabled(state == kDateDays);
    for (QWidget* control : {static_cast<QWidget*>(ui_->id1016), static_cast<QWidget*>(ui_->id1017)})
        control->setEnabled(state == kDateMonths);
}

void CSearchPageDate::OnFollowingFiles()
{
    Exchange();
    SetState(criteria_.DateRange);
}

bool CSearchPageDate::Exchange()
{
    criteria_.DateFilter = CheckedIndex({ui_->id1006, ui_->id1007});
    criteria_.DateKind = ui_->id1008->currentIndex();
    criteria_.DateRange = CheckedIndex({ui_->id1009, ui_->id1011, ui_->id1012});
    criteria_.FromDate = ToSeconds(ui_->id1010->date(), fromTimeOfDay_);
    criteria_.ToDate = ToSeconds(ui_->id1013->date(), toTimeOfDay_);
    return ReadInteger(ui_->id1014, kMinDays, kMaxDays, criteria_.Days)
        && ReadInteger(ui_->id1016, kMinDays, kMaxDays, criteria_.Months);
}

} // namespace pellidor
