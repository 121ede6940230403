#pragma once
// The shell's data records and their constants, as the Windows shell lays
// them out. Identifier lists are byte runs: elements are read with memcpy,
// never through a cast to an aligned type.

#include "platform/com/Memory.h"
#include "platform/com/Types.h"

// One element: a 16-bit size, then the owner's bytes. A list ends with a
// 16-bit zero.
struct SHITEMID {
    USHORT cb;
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

// A string return: the shell's three ways of giving back a name.
constexpr UINT STRRET_WSTR = 0;
constexpr UINT STRRET_OFFSET = 1;
constexpr UINT STRRET_CSTR = 2;
constexpr std::size_t MAX_PATH = 260;
struct STRRET {
    UINT uType = STRRET_CSTR;
    union {
        WCHAR* pOleStr;
        UINT uOffset;
        char cStr[MAX_PATH];
    };
    STRRET() : cStr{} { }
};

// Data transfer.
constexpr CLIPFORMAT CF_HDROP = 15;
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
struct DVTARGETDEVICE;
struct FORMATETC {
    CLIPFORMAT cfFormat = 0;
    DVTARGETDEVICE* ptd = nullptr;
    DWORD dwAspect = DVASPECT_CONTENT;
    LONG lindex = -1;
    DWORD tymed = TYMED_HGLOBAL;
};
struct IUnknown;
struct STGMEDIUM {
    DWORD tymed = TYMED_NULL;
    HGLOBAL hGlobal = nullptr;
    IUnknown* pUnkForRelease = nullptr;
};
// Frees the medium's block, or hands it to its release object.
void ReleaseStgMedium(STGMEDIUM* medium);

constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
// Key state of a drag: the mouse buttons and modifier keys held.
constexpr DWORD MK_LBUTTON = 0x1;
constexpr DWORD MK_RBUTTON = 0x2;
constexpr DWORD MK_SHIFT = 0x4;
constexpr DWORD MK_CONTROL = 0x8;
constexpr DWORD MK_MBUTTON = 0x10;
constexpr DWORD MK_ALT = 0x20;
struct POINTL {
    LONG x = 0;
    LONG y = 0;
};

// Commands.
struct CMINVOKECOMMANDINFO {
    DWORD cbSize = 36;
    DWORD fMask = 0;
    HWND hwnd = nullptr;
    // A command id (an ordinal below 0x10000) or a verb text.
    const char* lpVerb = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr;
    int nShow = 1;
    DWORD dwHotKey = 0;
    void* hIcon = nullptr;
};
// Not constexpr: a reinterpret_cast is never a constant expression, and
// clang refuses such a constexpr function.
inline const char* MAKEINTRESOURCEA(UINT id)
{
    return reinterpret_cast<const char*>(static_cast<UINT_PTR>(id));
}
inline bool IS_INTRESOURCE(const char* verb)
{
    return (reinterpret_cast<UINT_PTR>(verb) >> 16) == 0;
}
constexpr UINT CMF_NORMAL = 0x0;
constexpr UINT CMF_DEFAULTONLY = 0x1;
constexpr UINT CMF_NODEFAULT = 0x20;
constexpr UINT GCS_VERBA = 0;
constexpr UINT GCS_HELPTEXTA = 1;
constexpr UINT GCS_VERBW = 4;
constexpr UINT GCS_HELPTEXTW = 5;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

// Folders.
constexpr DWORD SHCONTF_FOLDERS = 0x20;
constexpr DWORD SHCONTF_NONFOLDERS = 0x40;
constexpr DWORD SHCONTF_INCLUDEHIDDEN = 0x80;
constexpr ULONG SFGAO_CANCOPY = 0x1;
constexpr ULONG SFGAO_CANMOVE = 0x2;
constexpr ULONG SFGAO_CANLINK = 0x4;
constexpr ULONG SFGAO_CANRENAME = 0x10;
constexpr ULONG SFGAO_CANDELETE = 0x20;
constexpr ULONG SFGAO_HASPROPSHEET = 0x40;
constexpr ULONG SFGAO_DROPTARGET = 0x100;
constexpr ULONG SFGAO_READONLY = 0x00040000;
constexpr ULONG SFGAO_BROWSABLE = 0x08000000;
constexpr ULONG SFGAO_FOLDER = 0x20000000;
constexpr ULONG SFGAO_HASSUBFOLDER = 0x80000000;
constexpr DWORD SHGDN_NORMAL = 0x0;
constexpr DWORD SHGDN_INFOLDER = 0x1;
constexpr DWORD SHGDN_FORADDRESSBAR = 0x4000;
constexpr DWORD SHGDN_FORPARSING = 0x8000;

// Icons.
constexpr UINT GIL_OPENICON = 0x1;
constexpr UINT GIL_FORSHELL = 0x2;
constexpr UINT GIL_NOTFILENAME = 0x8;

// Views.
constexpr UINT FVM_ICON = 1;
constexpr UINT FVM_SMALLICON = 2;
constexpr UINT FVM_LIST = 3;
constexpr UINT FVM_DETAILS = 4;
struct FOLDERSETTINGS {
    UINT ViewMode = FVM_ICON;
    UINT fFlags = 0;
};
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
constexpr UINT SVGIO_BACKGROUND = 0;
constexpr UINT SVGIO_SELECTION = 1;
constexpr UINT SBSP_DEFBROWSER = 0x0;
constexpr UINT SBSP_DEFMODE = 0x0;
constexpr UINT SBSP_RELATIVE = 0x2000;

// Change notification.
constexpr LONG SHCNE_UPDATEDIR = 0x00001000;
constexpr UINT SHCNF_IDLIST = 0x0000;

// Windows messages carried by the platform's message posting.
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_CLOSE = 0x0010;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
