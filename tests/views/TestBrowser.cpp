#include "tests/views/TestBrowser.h"

#include <cstring>

namespace pellidor::test {

TestBrowser::TestBrowser()
{
    window_.resize(640, 480);
}

HRESULT TestBrowser::GetWindow(HWND* out)
{
    *out = &window_;
    return S_OK;
}

HRESULT TestBrowser::InsertMenusSB(HMENU shared, void*)
{
    const auto popup = [shared](UINT id, const char* text) {
        platform::ui::MenuItem item;
        item.id = id;
        item.text = text;
        item.submenu = platform::ui::CreatePopupMenu();
        if (id == FCIDM_MENU_VIEW) {
            platform::ui::MenuItem separator;
            separator.type = platform::ui::MFT_SEPARATOR;
            separator.id = FCIDM_MENU_VIEW_SEP_OPTIONS;
            item.submenu->AppendItem(std::move(separator));
            item.submenu->AppendString(0xA100, "&Refresh");
        }
        shared->AppendItem(std::move(item));
    };
    popup(FCIDM_MENU_FILE, "&File");
    popup(FCIDM_MENU_EDIT, "&Edit");
    popup(FCIDM_MENU_VIEW, "&View");
    popup(FCIDM_MENU_HELP, "&Help");
    return S_OK;
}

HRESULT TestBrowser::SetMenuSB(HMENU shared, void*, HWND activeObject)
{
    menu_ = shared != nullptr ? shared->Clone() : nullptr;
    menuTarget_ = activeObject;
    return S_OK;
}

HRESULT TestBrowser::RemoveMenusSB(HMENU)
{
    return S_OK;
}

HRESULT TestBrowser::BrowseObject(LPCITEMIDLIST idl, UINT flags)
{
    std::vector<BYTE> bytes;
    const auto* at = reinterpret_cast<const BYTE*>(idl);
    for (;;) {
        USHORT size = 0;
        std::memcpy(&size, at, 2);
        if (size == 0)
            break;
        bytes.insert(bytes.end(), at, at + size);
        at += size;
    }
    bytes.push_back(0);
    bytes.push_back(0);
    browsed.push_back(bytes);
    browseFlags.push_back(flags);
    return S_OK;
}

HRESULT TestBrowser::SendControlMsg(UINT id, UINT message, WPARAM, LPARAM, LRESULT* result)
{
    if (id != FCW_TOOLBAR || message != TB_ADDBITMAP)
        return E_NOTIMPL;
    *result = 100 + bitmapsAdded++ * 20;
    return S_OK;
}

HRESULT TestBrowser::SetToolbarItems(void* given, UINT count, UINT)
{
    const auto* first = static_cast<const TBBUTTON*>(given);
    buttons.assign(first, first + count);
    return S_OK;
}

} // namespace pellidor::test
