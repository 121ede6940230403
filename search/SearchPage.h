#pragma once
// CSearchPage: one page of the search dialog's criteria. A page's window is
// made the first time its tab is shown: only then are its controls filled
// from the criteria (OnInitDialog) and only a made page moves its values
// back (SaveData), so a page the user never opened leaves the criteria as
// they are. User-interface thread only.

#include "platform/com/Types.h"
#include "search/SearchCriteria.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;

namespace pellidor {

class CSearchPage : public QWidget {
    Q_OBJECT
public:
    CSearchPage(SearchCriteria& criteria, QWidget* parent);

    QString Caption() const { return windowTitle(); }
    bool IsMade() const { return made_; }

    // The controls' values into the criteria, field by field in the page's
    // order. A value that fails its check shows why, gets the focus, and
    // leaves that field and the following ones unchanged: false. True for a
    // page that was never made.
    bool SaveData();

    // Brings the page to the front (its tab), so that a refused field can
    // take the focus.
    void SetShowHandler(std::function<void(CSearchPage&)> handler) { showPage_ = std::move(handler); }

protected:
    void showEvent(QShowEvent* event) override;

    // Fills the controls from the criteria; once, when the page is first shown.
    virtual void OnInitDialog() = 0;
    virtual bool Exchange() = 0;

    // The checked number fields: a whole number in [lowest, highest] ("Please
    // enter an integer (between %1 and %2).") and an unsigned 32-bit one
    // ("Please enter a positive integer.").
    bool ReadInteger(QLineEdit* edit, int lowest, int highest, int& out);
    bool ReadUnsigned(QLineEdit* edit, DWORD& out);

    SearchCriteria& criteria_;

private:
    void Refuse(QLineEdit* edit, const std::string& text);

    std::function<void(CSearchPage&)> showPage_;
    bool made_ = false;
};

} // namespace pellidor
