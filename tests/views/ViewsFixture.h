#pragma once
// The world of the views' tests: a catalog directory, the shelf root as the
// shell initialises it, a test browser, and the views the library installs.

#include "items/ShelfFolder.h"
#include "platform/com/ComPtr.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/views/TestBrowser.h"
#include "views/ViewList.h"
#include "views/ViewWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellidor::test {

class ViewsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string CatalogDirectory() const { return catDir_; }
    platform::com::ComPtr<CShelfFolder> ShelfRoot();
    // The view the folder gives, with its window made in the test browser.
    platform::com::ComPtr<IShellView> ViewOf(IShellFolder& folder);
    CViewWnd* Open(IShellView& view, UINT mode = FVM_DETAILS);
    // The catalog (a CShelfItem) at the root's child `index`, as a folder.
    platform::com::ComPtr<IShellFolder> CatalogFolder(int index = 0);
    // Column `column` of every row, in display order.
    static std::vector<std::string> Column(const CViewList& list, int column = 0);

    platform::com::ComPtr<TestBrowser> browser_;
    std::vector<BYTE> rootList_ = ShellRootIdList();
    std::vector<platform::com::ComPtr<IShellView>> open_;

private:
    std::string catDir_;
};

} // namespace pellidor::test
