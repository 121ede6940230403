#pragma once
// The shell interfaces the product implements or calls, with their Windows
// identifiers and method order. Narrow texts are the file system's bytes;
// wide texts (WCHAR) appear only where the shell's interface has them.

#include "platform/com/ShellTypes.h"
#include "platform/com/Unknown.h"

struct IBindCtx;
struct IEnumIDList;
struct IShellBrowser;
struct IEnumFORMATETC;

namespace platform::com {
constexpr GUID ShellIid(DWORD d1)
{
    return MakeGuid(d1, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
}
} // namespace platform::com

struct IClassFactory : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x00000001);
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IEnumFORMATETC : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x00000103);
    virtual HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** out) = 0;

protected:
    ~IEnumFORMATETC() = default;
};

struct IDataObject : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x0000010E);
    virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(FORMATETC* format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
    virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, IUnknown* sink, DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(IUnknown** out) = 0;

protected:
    ~IDataObject() = default;
};

struct IDropSource : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x00000121);
    virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
    virtual HRESULT GiveFeedback(DWORD effect) = 0;

protected:
    ~IDropSource() = default;
};

struct IDropTarget : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x00000122);
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;

protected:
    ~IDropTarget() = default;
};

struct IPersist : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x0000010C);
    virtual HRESULT GetClassID(CLSID* out) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistFolder : IPersist {
    static constexpr IID kIid = platform::com::ShellIid(0x000214EA);
    virtual HRESULT Initialize(LPCITEMIDLIST root) = 0;

protected:
    ~IPersistFolder() = default;
};

struct IEnumIDList : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x000214F2);
    virtual HRESULT Next(ULONG count, LPITEMIDLIST* out, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumIDList** out) = 0;

protected:
    ~IEnumIDList() = default;
};

struct IShellFolder : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x000214E6);
    virtual HRESULT ParseDisplayName(
        HWND owner, IBindCtx* context, const WCHAR* name, ULONG* eaten, LPITEMIDLIST* out, ULONG* attributes)
        = 0;
    virtual HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** out) = 0;
    virtual HRESULT BindToObject(LPCITEMIDLIST idl, IBindCtx* context, REFIID iid, void** out) = 0;
    virtual HRESULT BindToStorage(LPCITEMIDLIST idl, IBindCtx* context, REFIID iid, void** out) = 0;
    virtual HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST idl1, LPCITEMIDLIST idl2) = 0;
    virtual HRESULT CreateViewObject(HWND owner, REFIID iid, void** out) = 0;
    virtual HRESULT GetAttributesOf(UINT count, LPCITEMIDLIST* idls, ULONG* inOut) = 0;
    virtual HRESULT GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST* idls, REFIID iid, UINT* reserved, void** out)
        = 0;
    virtual HRESULT GetDisplayNameOf(LPCITEMIDLIST idl, DWORD flags, STRRET* out) = 0;
    virtual HRESULT SetNameOf(HWND owner, LPCITEMIDLIST idl, const WCHAR* name, DWORD flags, LPITEMIDLIST* out) = 0;

protected:
    ~IShellFolder() = default;
};

struct IContextMenu : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x000214E4);
    virtual HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) = 0;
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, char* name, UINT cchMax) = 0;

protected:
    ~IContextMenu() = default;
};

struct IExtractIconA : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x000214EB);
    virtual HRESULT GetIconLocation(UINT flags, char* iconFile, UINT cchMax, int* index, UINT* outFlags) = 0;
    virtual HRESULT Extract(const char* file, UINT index, HICON* large, HICON* small, UINT iconSize) = 0;

protected:
    ~IExtractIconA() = default;
};

struct IShellExtInit : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x000214E8);
    virtual HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* data, void* key) = 0;

protected:
    ~IShellExtInit() = default;
};

struct IQueryInfo : IUnknown {
    static constexpr IID kIid = MakeGuid(0x00021500, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
    virtual HRESULT GetInfoTip(DWORD flags, WCHAR** tip) = 0;
    virtual HRESULT GetInfoFlags(DWORD* flags) = 0;

protected:
    ~IQueryInfo() = default;
};

struct IOleWindow : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x00000114);
    virtual HRESULT GetWindow(HWND* out) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL enter) = 0;

protected:
    ~IOleWindow() = default;
};

struct IShellView : IOleWindow {
    static constexpr IID kIid = platform::com::ShellIid(0x000214E3);
    virtual HRESULT TranslateAccelerator(void* message) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT UIActivate(UINT state) = 0;
    virtual HRESULT Refresh() = 0;
    virtual HRESULT CreateViewWindow(
        IShellView* previous, const FOLDERSETTINGS* settings, IShellBrowser* browser, RECT* rect, HWND* out)
        = 0;
    virtual HRESULT DestroyViewWindow() = 0;
    virtual HRESULT GetCurrentInfo(FOLDERSETTINGS* out) = 0;
    virtual HRESULT AddPropertySheetPages(DWORD reserved, void* addPage, LPARAM lparam) = 0;
    virtual HRESULT SaveViewState() = 0;
    virtual HRESULT SelectItem(LPCITEMIDLIST idl, UINT flags) = 0;
    virtual HRESULT GetItemObject(UINT item, REFIID iid, void** out) = 0;

protected:
    ~IShellView() = default;
};

struct IShellBrowser : IOleWindow {
    static constexpr IID kIid = platform::com::ShellIid(0x000214E2);
    virtual HRESULT InsertMenusSB(HMENU shared, void* widths) = 0;
    virtual HRESULT SetMenuSB(HMENU shared, void* oleMenu, HWND activeObject) = 0;
    virtual HRESULT RemoveMenusSB(HMENU shared) = 0;
    virtual HRESULT SetStatusTextSB(const WCHAR* text) = 0;
    virtual HRESULT EnableModelessSB(BOOL enable) = 0;
    virtual HRESULT TranslateAcceleratorSB(void* message, WORD id) = 0;
    virtual HRESULT BrowseObject(LPCITEMIDLIST idl, UINT flags) = 0;
    virtual HRESULT GetViewStateStream(DWORD mode, IUnknown** out) = 0;
    virtual HRESULT GetControlWindow(UINT id, HWND* out) = 0;
    virtual HRESULT SendControlMsg(UINT id, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) = 0;
    virtual HRESULT QueryActiveShellView(IShellView** out) = 0;
    virtual HRESULT OnViewWindowActive(IShellView* view) = 0;
    virtual HRESULT SetToolbarItems(void* buttons, UINT count, UINT flags) = 0;

protected:
    ~IShellBrowser() = default;
};
