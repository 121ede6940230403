#pragma once
// CSearchPageDate: "Date": all files, or only those whose changed, created
// or accessed time lies between two moments or within the last days or
// months. One state drives the page's enabling: -1 for all files, else the
// range (0 between, 1 days, 2 months); only the controls of the chosen range
// are enabled.

#include "search/SearchPage.h"

#include <QTime>

#include <memory>

namespace Ui {
class SearchPageDate;
}

namespace pellidor {

class CSearchPageDate : public CSearchPage {
    Q_OBJECT
public:
    static constexpr int kAllFiles = -1;

    CSearchPageDate(SearchCriteria& criteria, QWidget* parent);
    ~CSearchPageDate() override;

    int State() const { return state_; }

protected:
    void OnInitDialog() override;
    bool Exchange() override;

private:
    void SetState(int state);
    // "Search following files:": the page's values into the criteria, then
    // the range they hold.
    void OnFollowingFiles();

    std::unique_ptr<Ui::SearchPageDate> ui_;
    int state_ = kAllFiles;
    // The time of day of each picker's value when the page was filled.
    QTime fromTimeOfDay_;
    QTime toTimeOfDay_;
};

} // namespace pellidor
