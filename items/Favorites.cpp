#include "items/Favorites.h"

#include "platform/com/CoCreate.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/shell/ShellLink.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/AddToFavoritesDialog.h"

#include <QString>

#include <cstring>

namespace pellidor {

namespace {

using platform::com::ComPtr;

constexpr std::size_t kBufferSize = MAX_PATH;

bool SaveLink(LPCITEMIDLIST absolute, const char* description, const std::string& path)
{
    ComPtr<IShellLinkA> link;
    if (FAILED(platform::com::CoCreateInstance(
            platform::shell::CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IShellLinkA::kIid, link.ReceiveVoid())))
        return false;
    const ComPtr<IPersistFile> file = link.As<IPersistFile>();
    if (!file)
        return false;
    // Every step must hold: a link without its target is no favorite.
    const std::u16string wide = QString::fromUtf8(path.c_str()).toStdU16String();
    return SUCCEEDED(link->SetIDList(absolute)) && SUCCEEDED(link->SetDescription(description))
        && SUCCEEDED(file->Save(wide.c_str(), TRUE_));
}

} // namespace

bool CFavorites::AddToFavorites(HWND owner, LPCITEMIDLIST absolute, const std::string& title)
{
    if (absolute == nullptr)
        return false;
    platform::com::TaskMemPtr<ITEMIDLIST> favorites;
    {
        LPITEMIDLIST list = nullptr;
        if (FAILED(platform::shell::SHGetSpecialFolderLocation(nullptr, platform::shell::CSIDL_FAVORITES, &list)))
            return false;
        favorites.reset(list);
    }
    char path[kBufferSize] = {};
    char name[kBufferSize] = {};
    std::strncpy(name, title.c_str(), kBufferSize - 1);
    const HRESULT confirmed = platform::ui::DoAddToFavDlg(owner, path, kBufferSize, name, kBufferSize, favorites.get());
    favorites.reset();
    if (confirmed != S_OK)
        return false;
    return SaveLink(absolute, name, platform::shell::WithLinkExtension(path));
}

} // namespace pellidor
