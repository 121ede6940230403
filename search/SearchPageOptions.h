#pragma once
// CSearchPageOptions: "Advanced": the file type, and a size bound in kB with
// its mode (none, at least, at most).

#include "search/SearchPage.h"

#include <memory>

namespace Ui {
class SearchPageOptions;
}

namespace pellidor {

class CSearchPageOptions : public CSearchPage {
    Q_OBJECT
public:
    static constexpr int kSpinLowest = 1;
    static constexpr int kSpinHighest = 32767;

    CSearchPageOptions(SearchCriteria& criteria, QWidget* parent);
    ~CSearchPageOptions() override;

protected:
    void OnInitDialog() override;
    bool Exchange() override;

private:
    std::unique_ptr<Ui::SearchPageOptions> ui_;
};

} // namespace pellidor
