#pragma once
// CShelfView: the view of the shelf and of its folders. As the catalog view,
// with the shelf's columns and menus, "New Folder..." for the folder shown,
// the selected item's interfaces for the Explorer, and the How-to-use dialog
// after every fill of an empty shelf root.

#include "views/CatView.h"

namespace pellidor {

class CShelfFolder;

class CShelfView : public CCatView {
public:
    explicit CShelfView(platform::com::ComPtr<CShelfFolder> folder);

    HRESULT GetItemObject(UINT item, REFIID iid, void** out) override;

protected:
    ~CShelfView() override = default;

    std::string_view Section() const override;
    void InsertColumns(CViewList& list) const override;
    UINT FileMenuId() const override;
    UINT ViewMenuId() const override;
    void AfterFill() override;
    void SetUpWindow(CViewWnd& window) override;

private:
    CShelfFolder& shelf_;
};

} // namespace pellidor
