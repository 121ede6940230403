#include "pages/ItemPropertySheet.h"

#include "items/ShelfItem.h"
#include "pages/PageFile.h"
#include "pages/PageFolder.h"
#include "pages/PageVolume.h"
#include "platform/ui/PropertySheet.h"

namespace pellidor {

namespace {

class CItemPropertySheetUi final : public IPropertySheetUi {
public:
    void ShowProperties(HWND owner, CCatItem* item, CShelfItem& catalog) override
    {
        const std::string title = item != nullptr ? item->GetName() : catalog.GetName();
        platform::ui::PropertySheet sheet(QString::fromStdString(title), owner, platform::ui::PSH_PROPTITLE);
        if (item != nullptr) {
            if (item->IsFolder())
                sheet.AddPage(std::make_unique<CPageFolder>(*item));
            else
                sheet.AddPage(std::make_unique<CPageFile>(*item));
        }
        sheet.AddPage(std::make_unique<CPageVolume>(catalog));
        sheet.DoModal();
    }
};

} // namespace

IPropertySheetUi& ItemPropertySheetUi()
{
    static CItemPropertySheetUi ui;
    return ui;
}

} // namespace pellidor
