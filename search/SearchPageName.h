#pragma once
// CSearchPageName: "Name and Location": the name text with its history, the
// shelf folder to look in (the whole shelf or one of its folders, listed
// depth first with their indents) and whether the folders inside it count.

#include "platform/com/ComPtr.h"
#include "search/SearchPage.h"

#include <memory>
#include <vector>

namespace Ui {
class SearchPageName;
}

class QCheckBox;
class QComboBox;

namespace pellidor {

class CHistoryComboBox;
class CShelfFolder;

class CSearchPageName : public CSearchPage {
    Q_OBJECT
public:
    // Where the name history lives: HKEY_CURRENT_USER\<this>.
    static constexpr const char* kHistoryKey = "SOFTWARE\\Pellidor\\Search";

    CSearchPageName(SearchCriteria& criteria, QWidget* parent);
    ~CSearchPageName() override;

    CHistoryComboBox* NameBox() const;
    QComboBox* LookInBox() const;
    QCheckBox* SubfoldersBox() const;
    // The shelf folder of "Look in" entry `index`; null past the end.
    CShelfFolder* FolderAt(int index) const;

protected:
    void OnInitDialog() override;
    bool Exchange() override;

private:
    void FillLookIn();
    void AddSubFolders(CShelfFolder& folder, int depth);
    void AddFolder(const platform::com::ComPtr<CShelfFolder>& folder, const QString& text, int image, int depth);

    std::unique_ptr<Ui::SearchPageName> ui_;
    // One reference per "Look in" entry, in the box's order; the entries go
    // with the page.
    std::vector<platform::com::ComPtr<CShelfFolder>> folders_;
};

} // namespace pellidor
