#include "pages/PageVolume.h"

#include "items/Images.h"
#include "items/ShelfItem.h"
#include "items/TextHelpers.h"
#include "pages/CatalogInfoDialog.h"
#include "platform/system/Errors.h"
#include "platform/ui/MessageBox.h"
#include "ui_PageVolume.h"

#include <QPushButton>

namespace pellidor {

namespace {

constexpr int kIdName = 1013;
constexpr int kIdContent = 1023;

} // namespace

std::string VolumeTypeText(const std::string& fileSystem, const std::string& driveType)
{
    if (fileSystem.empty() || driveType.empty())
        return fileSystem + driveType;
    return fileSystem + ", " + driveType;
}

CPageVolume::CPageVolume(CShelfItem& catalog)
    : CItemPage(QStringLiteral("Volume"))
    , ui_(std::make_unique<Ui::PageVolume>())
    , catalog_(platform::com::ComPtr<CShelfItem>::AddRefed(&catalog))
{
    ui_->setupUi(this);
    const std::string path = catalog.CatalogFilePath();
    SetText(kIdName, catalog.GetName());
    SetText(1014, VolumeTypeText(TrimRight(catalog.FileSystemName()), catalog.DriveTypeText()));
    SetText(1029, FormatGroupedNumber(static_cast<std::int64_t>(catalog.TotalBytes())));
    SetText(1030, FormatGroupedNumber(static_cast<std::int64_t>(catalog.FreeBytes())));
    SetText(kIdContent, catalog.CatalogContent());
    SetText(1028, catalog.CatalogVolumeLabel());
    SetText(1018, FormatDateText(catalog.CatalogTime()));
    SetText(1019, path);
    std::uint64_t size = 0;
    SetText(1016, catalog.CatalogFileSize(&size) ? ByteText(size) : std::string());
    HICON large = nullptr;
    HICON small = nullptr;
    CImages::Instance().IconsForCatalog(path, &large, &small);
    largeIcon_ = TakeIconPixmap(large);
    smallIcon_ = TakeIconPixmap(small);
    SetIcon(largeIcon_);
    connect(ui_->id1048, &QPushButton::clicked, this, &CPageVolume::OnSettings);
}

CPageVolume::~CPageVolume() = default;

void CPageVolume::OnInitDialog()
{
    CItemPage::OnInitDialog();
    QIcon icon(largeIcon_);
    icon.addPixmap(smallIcon_);
    setWindowIcon(icon);
}

void CPageVolume::OnSettings()
{
    CCatalogInfoDialog dialog(Text(kIdName), Text(kIdContent), catalog_->CatalogVolumeLabel(), largeIcon_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    DWORD error = platform::system::ERROR_SUCCESS;
    if (!catalog_->SetInformation(dialog.Name(), dialog.Content(), &error)) {
        // The catalog still has its old texts, and so does the page.
        platform::ui::MessageBox(
            this, platform::system::ErrorMessage(error), "Pellidor", platform::ui::MB_OK | platform::ui::MB_ICONERROR);
        return;
    }
    SetText(kIdName, dialog.Name());
    SetText(kIdContent, dialog.Content());
    RefreshTexts();
}

} // namespace pellidor
