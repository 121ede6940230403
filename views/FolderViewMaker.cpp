#include "views/FolderViewMaker.h"

#include "items/ShelfFolder.h"
#include "namespace/CatFolder.h"
#include "namespace/FolderViews.h"
#include "views/CatView.h"
#include "views/ShelfView.h"

namespace pellidor {

namespace {

using platform::com::ComPtr;

class FolderViewMaker final : public IFolderViews {
public:
    ComPtr<IShellView> MakeCatalogView(CCatFolder& folder) override
    {
        auto view = platform::com::MakeCom<CCatView>(ComPtr<CCatFolder>::AddRefed(&folder));
        return view.As<IShellView>();
    }
    ComPtr<IShellView> MakeShelfView(CShelfFolder& folder) override
    {
        auto view = platform::com::MakeCom<CShelfView>(ComPtr<CShelfFolder>::AddRefed(&folder));
        return view.As<IShellView>();
    }
};

} // namespace

IFolderViews& TheFolderViews()
{
    static FolderViewMaker maker;
    return maker;
}

} // namespace pellidor
