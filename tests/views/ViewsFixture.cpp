#include "tests/views/ViewsFixture.h"

#include "namespace/CatFolder.h"
#include "namespace/FolderViews.h"
#include "tests/support/CatalogDirectory.h"
#include "views/FolderViewMaker.h"

namespace pellidor::test {

using platform::com::ComPtr;

void ViewsFixture::SetUp()
{
    // As the library does while it loads.
    SetFolderViews(&TheFolderViews());
    catDir_ = TestPath("Catalogs");
    UseCatalogDirectory(catDir_);
    browser_ = platform::com::MakeCom<TestBrowser>();
}

void ViewsFixture::TearDown()
{
    for (const auto& view : open_) {
        view->UIActivate(SVUIA_DEACTIVATE);
        view->DestroyViewWindow();
    }
    open_.clear();
}

ComPtr<CShelfFolder> ViewsFixture::ShelfRoot()
{
    auto root = platform::com::MakeCom<CShelfFolder>();
    root->Initialize(AsIdList(rootList_));
    return root;
}

ComPtr<IShellView> ViewsFixture::ViewOf(IShellFolder& folder)
{
    ComPtr<IShellView> view;
    EXPECT_EQ(folder.CreateViewObject(nullptr, IShellView::kIid, view.ReceiveVoid()), S_OK);
    return view;
}

CViewWnd* ViewsFixture::Open(IShellView& view, UINT mode)
{
    FOLDERSETTINGS settings;
    settings.ViewMode = mode;
    RECT rect{0, 0, 600, 400};
    HWND window = nullptr;
    EXPECT_EQ(view.CreateViewWindow(nullptr, &settings, browser_.Get(), &rect, &window), S_OK);
    open_.push_back(ComPtr<IShellView>::AddRefed(&view));
    return dynamic_cast<CViewWnd*>(window);
}

ComPtr<IShellFolder> ViewsFixture::CatalogFolder(int index)
{
    auto root = ShelfRoot();
    root->LoadChildren(false);
    CCatItem* child = root->GetChild(index);
    return child != nullptr ? ComPtr<CCatItem>::AddRefed(child).As<IShellFolder>() : nullptr;
}

std::vector<std::string> ViewsFixture::Column(const CViewList& list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.ItemCount(); ++row)
        texts.push_back(list.TextAt(row, column));
    return texts;
}

} // namespace pellidor::test
