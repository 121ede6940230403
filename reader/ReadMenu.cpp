#include "reader/ReadMenu.h"

#include "module/Resources.h"
#include "platform/shell/DropFiles.h"
#include "platform/system/Drives.h"
#include "platform/ui/Menu.h"

#include <vector>

namespace pellidor {

namespace {

constexpr const char* kProductName = "Pellidor";
// Two ids from the first: the item's own is first + 1.
constexpr UINT kIdsUsed = 2;

// "Add to %s" with the product's name in place of "%s".
std::string MenuText()
{
    std::string text = LoadString(CReadMenu::kMenuTextId);
    const auto marker = text.find("%s");
    if (marker != std::string::npos)
        text.replace(marker, 2, kProductName);
    return text;
}

QString BitmapPath(UINT id)
{
    return QStringLiteral(":/pellidor/images/%1.png").arg(id);
}

} // namespace

CReadMenu::CReadMenu(ReadDrive readDrive) : readDrive_(readDrive)
{
}

CReadMenu::~CReadMenu()
{
    ForgetSelection();
}

void CReadMenu::ForgetSelection()
{
    ReleaseStgMedium(&drop_);
    drop_ = STGMEDIUM();
    dropCount_ = 0;
    dataObject_ = nullptr;
}

HRESULT CReadMenu::Initialize(LPCITEMIDLIST, IDataObject* data, void*)
{
    ForgetSelection();
    if (data == nullptr)
        return S_OK;
    dataObject_ = platform::com::ComPtr<IDataObject>::AddRefed(data);
    FORMATETC format;
    format.cfFormat = CF_HDROP;
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium;
    if (SUCCEEDED(data->GetData(&format, &medium)) && medium.hGlobal != nullptr) {
        drop_ = medium;
        dropCount_ = platform::shell::DragQueryFile(drop_.hGlobal, 0xFFFFFFFF, nullptr, 0);
    } else {
        ReleaseStgMedium(&medium);
    }
    return S_OK;
}

std::string CReadMenu::DropPath(UINT index) const
{
    if (index >= dropCount_)
        return {};
    const UINT length = platform::shell::DragQueryFile(drop_.hGlobal, index, nullptr, 0);
    std::vector<char> path(length + 1, '\0');
    platform::shell::DragQueryFile(drop_.hGlobal, index, path.data(), length + 1);
    return std::string(path.data(), length);
}

bool CReadMenu::IsReadableDrive(const std::string& root)
{
    const UINT type = platform::system::GetDriveType(root);
    return type == platform::system::DRIVE_REMOVABLE || type == platform::system::DRIVE_CDROM;
}

HRESULT CReadMenu::QueryContextMenu(HMENU menu, UINT position, UINT first, UINT, UINT)
{
    bool readable = false;
    for (UINT i = 0; i < dropCount_ && !readable; ++i)
        readable = IsReadableDrive(DropPath(i));
    if (!readable || menu == nullptr)
        return MAKE_HRESULT(0, 0, 0);
    menuBitmap_ = QImage(BitmapPath(kMenuBitmapId));
    platform::ui::MenuItem item;
    item.id = first + 1;
    item.text = MenuText();
    menu->InsertItem(position, platform::ui::MF_BYPOSITION, std::move(item));
    menu->SetItemBitmaps(position, platform::ui::MF_BYPOSITION, menuBitmap_, menuBitmap_);
    return MAKE_HRESULT(0, 0, kIdsUsed);
}

HRESULT CReadMenu::InvokeCommand(CMINVOKECOMMANDINFO*)
{
    // The selection is copied first: a dialog's event loop may bring a new
    // Initialize.
    std::vector<std::string> roots;
    for (UINT i = 0; i < dropCount_; ++i)
        roots.push_back(DropPath(i));
    // Held across the dialogs: the shell may drop its reference meanwhile.
    const auto self = platform::com::ComPtr<IContextMenu>::AddRefed(this);
    for (const std::string& root : roots) {
        if (IsReadableDrive(root) && readDrive_ != nullptr)
            readDrive_(root);
    }
    return S_OK;
}

HRESULT CReadMenu::GetCommandString(UINT_PTR, UINT, UINT*, char*, UINT)
{
    return E_NOTIMPL;
}

} // namespace pellidor
