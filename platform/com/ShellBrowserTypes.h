#pragma once
// What a shell view and the browser hosting it exchange besides the
// interfaces: the browser's menu pop-up ids, its control windows and their
// messages, toolbar buttons and bitmaps, and the browse flags. Windows values
// throughout, so views written against them merge as they would there.

#include "platform/com/Types.h"

// Command ids: a view uses FCIDM_SHVIEWFIRST..FCIDM_SHVIEWLAST for its own
// commands; the browser's pop-ups and commands lie above.
constexpr UINT FCIDM_SHVIEWFIRST = 0x0000;
constexpr UINT FCIDM_SHVIEWLAST = 0x7FFF;
constexpr UINT FCIDM_BROWSERFIRST = 0xA000;
constexpr UINT FCIDM_BROWSERLAST = 0xBF00;
constexpr UINT FCIDM_GLOBALFIRST = 0x8000;

// The ids of the browser's pop-ups in the shared menu, and the separator in
// the View pop-up before which a view puts its view commands.
constexpr UINT FCIDM_MENU_FILE = FCIDM_GLOBALFIRST + 0x0000;
constexpr UINT FCIDM_MENU_EDIT = FCIDM_GLOBALFIRST + 0x0040;
constexpr UINT FCIDM_MENU_VIEW = FCIDM_GLOBALFIRST + 0x0080;
constexpr UINT FCIDM_MENU_VIEW_SEP_OPTIONS = FCIDM_GLOBALFIRST + 0x0081;
constexpr UINT FCIDM_MENU_TOOLS = FCIDM_GLOBALFIRST + 0x00C0;
constexpr UINT FCIDM_MENU_TOOLS_SEP_GOTO = FCIDM_GLOBALFIRST + 0x00C1;
constexpr UINT FCIDM_MENU_HELP = FCIDM_GLOBALFIRST + 0x0100;
constexpr UINT FCIDM_MENU_FIND = FCIDM_GLOBALFIRST + 0x0140;
constexpr UINT FCIDM_MENU_EXPLORE = FCIDM_GLOBALFIRST + 0x0150;
constexpr UINT FCIDM_MENU_FAVORITES = FCIDM_GLOBALFIRST + 0x0170;

// Group widths of InsertMenusSB (OLEMENUGROUPWIDTHS).
struct OLEMENUGROUPWIDTHS {
    LONG width[6] = {};
};

// The browser's control windows.
constexpr UINT FCW_STATUS = 0x0001;
constexpr UINT FCW_TOOLBAR = 0x0002;
constexpr UINT FCW_TREE = 0x0003;

// Messages to the control windows (through SendControlMsg).
constexpr UINT WM_USER = 0x0400;
constexpr UINT TB_ADDBITMAP = WM_USER + 19;
constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
constexpr UINT SB_SETTEXTA = WM_USER + 1;

// TB_ADDBITMAP: wParam the image count, lParam a TBADDBITMAP. The answer is
// the index the first added image got, or -1.
struct TBADDBITMAP {
    void* hInst = nullptr;
    UINT_PTR nID = 0;
};
// The common controls' own bitmaps, named by HINST_COMMCTRL and an id.
inline void* const HINST_COMMCTRL = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
constexpr UINT_PTR IDB_STD_SMALL_COLOR = 0;
constexpr UINT_PTR IDB_STD_LARGE_COLOR = 1;
constexpr UINT_PTR IDB_VIEW_SMALL_COLOR = 4;
constexpr UINT_PTR IDB_VIEW_LARGE_COLOR = 5;
// Images of the standard bitmap (15 of them).
constexpr int STD_CUT = 0;
constexpr int STD_COPY = 1;
constexpr int STD_PASTE = 2;
constexpr int STD_UNDO = 3;
constexpr int STD_REDOW = 4;
constexpr int STD_DELETE = 5;
constexpr int STD_FILENEW = 6;
constexpr int STD_FILEOPEN = 7;
constexpr int STD_FILESAVE = 8;
constexpr int STD_PRINTPRE = 9;
constexpr int STD_PROPERTIES = 10;
constexpr int STD_HELP = 11;
constexpr int STD_FIND = 12;
constexpr int STD_REPLACE = 13;
constexpr int STD_PRINT = 14;
constexpr int kStdImageCount = 15;
// Images of the view bitmap (12 of them).
constexpr int VIEW_LARGEICONS = 0;
constexpr int VIEW_SMALLICONS = 1;
constexpr int VIEW_LIST = 2;
constexpr int VIEW_DETAILS = 3;
constexpr int VIEW_SORTNAME = 4;
constexpr int VIEW_SORTSIZE = 5;
constexpr int VIEW_SORTDATE = 6;
constexpr int VIEW_SORTTYPE = 7;
constexpr int VIEW_PARENTFOLDER = 8;
constexpr int VIEW_NETCONNECT = 9;
constexpr int VIEW_NETDISCONNECT = 10;
constexpr int VIEW_NEWFOLDER = 11;
constexpr int kViewImageCount = 12;

// A toolbar button as SetToolbarItems takes it (the 64-bit layout).
constexpr BYTE TBSTATE_CHECKED = 0x01;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTATE_HIDDEN = 0x08;
constexpr BYTE TBSTYLE_BUTTON = 0x00;
constexpr BYTE TBSTYLE_SEP = 0x01;
struct TBBUTTON {
    int iBitmap = 0;
    int idCommand = 0;
    BYTE fsState = TBSTATE_ENABLED;
    BYTE fsStyle = TBSTYLE_BUTTON;
    BYTE bReserved[6] = {};
    UINT_PTR dwData = 0;
    std::intptr_t iString = 0;
};
// SetToolbarItems flags.
constexpr UINT FCT_MERGE = 0x0001;
constexpr UINT FCT_CONFIGABLE = 0x0002;
constexpr UINT FCT_ADDTOEND = 0x0004;

// BrowseObject flags beside SBSP_RELATIVE (ShellTypes.h).
constexpr UINT SBSP_SAMEBROWSER = 0x0001;
constexpr UINT SBSP_NEWBROWSER = 0x0002;
constexpr UINT SBSP_ABSOLUTE = 0x0000;
constexpr UINT SBSP_PARENT = 0x1000;
constexpr UINT SBSP_NAVIGATEBACK = 0x4000;
constexpr UINT SBSP_NAVIGATEFORWARD = 0x8000;

// UIActivate states.
constexpr UINT SVUIA_DEACTIVATE = 0;
constexpr UINT SVUIA_ACTIVATE_NOFOCUS = 1;
constexpr UINT SVUIA_ACTIVATE_FOCUS = 2;
