// A small shell extension for the explorer's tests, loaded as any extension
// is: through the registry and DllGetClassObject. It offers a junction folder
// with a view, a drive context-menu handler, a Find-menu entry and a class
// whose class object refuses, and logs what it is asked (TestServerIds.h).
//
// Nothing of it may outlive the library: log texts are made on the heap, and
// every object, the view's window included, counts toward DllCanUnloadNow.

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ShellBrowserTypes.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/registry/Registry.h"
#include "platform/shell/DropFiles.h"
#include "platform/ui/Icon.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "tests/host/TestServerIds.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#define TEST_SERVER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace host::explorer::test;
using platform::com::ComImplements;
using platform::com::ComObject;
using platform::com::ComPtr;

std::atomic<long> g_live{0};

void Log(const std::string& line)
{
    QStringList log = ServerLog();
    log.append(QString::fromStdString(line));
    qApp->setProperty(kLogProperty, log);
}

std::string Hex(const BYTE* bytes, std::size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
    return text;
}

DWORD Setting(const char* name, DWORD fallback)
{
    platform::registry::Key key;
    DWORD value = fallback;
    if (key.Open(platform::registry::Hive::ClassesRoot,
            "CLSID\\" + platform::com::FormatGuid(kJunctionClass) + "\\TestServer")
        == 0)
        key.QueryDword(name, value);
    return value;
}

// Counted for DllCanUnloadNow for as long as it lives.
struct Counted {
    Counted() { ++g_live; }
    Counted(const Counted&) { ++g_live; }
    Counted& operator=(const Counted&) = default;
    ~Counted() { --g_live; }
};

// Our element: u16 size 12, "TS", u32 index, u32 depth.
constexpr USHORT kElementSize = 12;

std::vector<BYTE> MakeElement(DWORD index, DWORD depth)
{
    std::vector<BYTE> bytes(kElementSize + 2, 0);
    std::memcpy(bytes.data(), &kElementSize, 2);
    bytes[2] = 'T';
    bytes[3] = 'S';
    std::memcpy(bytes.data() + 4, &index, 4);
    std::memcpy(bytes.data() + 8, &depth, 4);
    return bytes;
}

// Checked at our door: one of our elements, or nothing.
bool ReadElement(LPCITEMIDLIST list, DWORD& index)
{
    if (list == nullptr)
        return false;
    const auto* bytes = reinterpret_cast<const BYTE*>(list);
    USHORT size = 0;
    std::memcpy(&size, bytes, 2);
    if (size != kElementSize || bytes[2] != 'T' || bytes[3] != 'S')
        return false;
    std::memcpy(&index, bytes + 4, 4);
    return true;
}

LPITEMIDLIST ToTaskMem(const std::vector<BYTE>& bytes)
{
    void* block = platform::com::TaskMemAlloc(bytes.size());
    if (block != nullptr)
        std::memcpy(block, bytes.data(), bytes.size());
    return static_cast<LPITEMIDLIST>(block);
}

class TestViewWindow : public QWidget, public platform::ui::MessageHandler, private Counted {
public:
    explicit TestViewWindow(QWidget* parent) : QWidget(parent) { platform::ui::SetWindowText(this, "#TestView#"); }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == WM_COMMAND)
            Log("command " + std::to_string(wParam & 0xFFFF));
        return 0;
    }
};

class TestView : public ComImplements<ComObject, IShellView>, private Counted {
public:
    HRESULT GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(void*) override { return E_NOTIMPL; }
    HRESULT EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT UIActivate(UINT state) override
    {
        Log(state == SVUIA_DEACTIVATE ? "deactivate" : "activate " + std::to_string(state));
        if (!browser_)
            return E_UNEXPECTED;
        if (state == SVUIA_DEACTIVATE) {
            browser_->SetMenuSB(nullptr, nullptr, nullptr);
            if (menu_)
                browser_->RemoveMenusSB(menu_.get());
            menu_.reset();
            return S_OK;
        }
        menu_ = platform::ui::CreatePopupMenu();
        browser_->OnViewWindowActive(this);
        OLEMENUGROUPWIDTHS widths;
        browser_->InsertMenusSB(menu_.get(), &widths);
        Merge();
        return browser_->SetMenuSB(menu_.get(), nullptr, window_.data());
    }
    HRESULT Refresh() override
    {
        Log("refresh");
        return S_OK;
    }
    HRESULT CreateViewWindow(IShellView*, const FOLDERSETTINGS*, IShellBrowser* browser, RECT* rect, HWND* out) override
    {
        Log("create");
        if (out == nullptr || browser == nullptr)
            return E_INVALIDARG;
        *out = nullptr;
        browser_ = ComPtr<IShellBrowser>::AddRefed(browser);
        const DWORD fault = Setting(kViewFaultValue, kViewWorks);
        if (fault == kViewWindowFails)
            return E_FAIL;
        if (fault == kViewWindowNull)
            return S_OK;
        HWND parent = nullptr;
        browser_->GetWindow(&parent);
        window_ = new TestViewWindow(parent);
        if (rect != nullptr)
            window_->setGeometry(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
        AddButtons();
        *out = window_.data();
        if (fault == kViewWindowDestroysItself)
            window_->deleteLater();
        return S_OK;
    }
    HRESULT DestroyViewWindow() override
    {
        Log("destroy");
        if (!window_)
            return E_UNEXPECTED;
        delete window_.data();
        return S_OK;
    }
    HRESULT GetCurrentInfo(FOLDERSETTINGS*) override { return E_NOTIMPL; }
    HRESULT AddPropertySheetPages(DWORD, void*, LPARAM) override { return E_NOTIMPL; }
    HRESULT SaveViewState() override
    {
        Log("save");
        return S_OK;
    }
    HRESULT SelectItem(LPCITEMIDLIST, UINT) override { return E_NOTIMPL; }
    HRESULT GetItemObject(UINT, REFIID, void**) override { return E_NOTIMPL; }

private:
    ~TestView() override { delete window_.data(); }

    void Merge()
    {
        using platform::ui::MenuItem;
        if (platform::ui::Menu* file = menu_->FindPopup(FCIDM_MENU_FILE)) {
            MenuItem print;
            print.id = 18;
            print.text = "Test &Print";
            file->InsertItem(0, platform::ui::MF_BYPOSITION, std::move(print));
        }
        if (platform::ui::Menu* view = menu_->FindPopup(FCIDM_MENU_VIEW)) {
            MenuItem details;
            details.id = 4;
            details.text = "Test &Details";
            view->InsertItem(FCIDM_MENU_VIEW_SEP_OPTIONS, platform::ui::MF_BYCOMMAND, std::move(details));
        }
        if (platform::ui::Menu* help = menu_->FindPopup(FCIDM_MENU_HELP))
            help->AppendString(17, "Test &About");
    }

    void AddButtons()
    {
        TBADDBITMAP standard;
        standard.hInst = HINST_COMMCTRL;
        standard.nID = IDB_STD_SMALL_COLOR;
        LRESULT offset = 0;
        browser_->SendControlMsg(
            FCW_TOOLBAR, TB_ADDBITMAP, kStdImageCount, reinterpret_cast<LPARAM>(&standard), &offset);
        Log("bitmap offset " + std::to_string(offset));
        TBBUTTON buttons[2];
        buttons[0].iBitmap = static_cast<int>(offset) + STD_PRINT;
        buttons[0].idCommand = 18;
        buttons[1].iBitmap = static_cast<int>(offset) + STD_PRINTPRE;
        buttons[1].idCommand = 19;
        browser_->SetToolbarItems(buttons, 2, FCT_MERGE);
    }

    ComPtr<IShellBrowser> browser_;
    QPointer<QWidget> window_;
    platform::ui::MenuPtr menu_;
};

class TestIcon : public ComImplements<ComObject, IExtractIconA>, private Counted {
public:
    HRESULT GetIconLocation(UINT, char* file, UINT size, int* index, UINT* flags) override
    {
        if (file == nullptr || size < 5 || index == nullptr || flags == nullptr)
            return E_INVALIDARG;
        std::strcpy(file, "test");
        *index = 0;
        *flags = GIL_NOTFILENAME;
        return S_OK;
    }
    HRESULT Extract(const char*, UINT, HICON* large, HICON* small, UINT) override
    {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(qRgb(200, 40, 40));
        if (small != nullptr)
            *small = platform::ui::CreateIcon(platform::ui::IconImage::FromImage(image));
        if (large != nullptr)
            *large = platform::ui::CreateIcon(platform::ui::IconImage::FromImage(image.scaled(32, 32)));
        return S_OK;
    }

private:
    ~TestIcon() override = default;
};

class TestEnum : public ComImplements<ComObject, IEnumIDList>, private Counted {
public:
    TestEnum(DWORD count, DWORD depth) : count_(count), depth_(depth) { }
    HRESULT Next(ULONG wanted, LPITEMIDLIST* out, ULONG* fetched) override
    {
        ULONG given = 0;
        while (given < wanted && next_ < count_)
            out[given++] = ToTaskMem(MakeElement(next_++, depth_));
        if (fetched != nullptr)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        next_ += count;
        return S_OK;
    }
    HRESULT Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumIDList**) override { return E_NOTIMPL; }

private:
    ~TestEnum() override = default;
    DWORD count_;
    DWORD depth_;
    DWORD next_ = 0;
};

// The junction (depth 0) and its folders; folders two levels down hold
// nothing, and only the junction has a view.
class TestFolder : public ComImplements<ComObject, IShellFolder, IPersistFolder>, private Counted {
public:
    explicit TestFolder(DWORD depth) : depth_(depth) { }

    HRESULT GetClassID(CLSID* out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = kJunctionClass;
        return S_OK;
    }
    HRESULT Initialize(LPCITEMIDLIST root) override
    {
        std::vector<BYTE> bytes;
        const auto* at = reinterpret_cast<const BYTE*>(root);
        for (std::size_t offset = 0; root != nullptr;) {
            USHORT size = 0;
            std::memcpy(&size, at + offset, 2);
            if (size == 0)
                break;
            bytes.insert(bytes.end(), at + offset, at + offset + size);
            offset += size;
        }
        Log("initialize " + Hex(bytes.data(), bytes.size()));
        return S_OK;
    }
    HRESULT ParseDisplayName(HWND, IBindCtx*, const WCHAR*, ULONG*, LPITEMIDLIST*, ULONG*) override
    {
        return E_NOTIMPL;
    }
    HRESULT EnumObjects(HWND, DWORD flags, IEnumIDList** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        const DWORD count = depth_ == 0 ? Setting(kChildrenValue, 3) : depth_ == 1 ? 2 : 0;
        auto* items = new (std::nothrow) TestEnum((flags & SHCONTF_FOLDERS) != 0 ? count : 0, depth_ + 1);
        *out = items;
        return items != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT BindToObject(LPCITEMIDLIST idl, IBindCtx*, REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        DWORD index = 0;
        if (!ReadElement(idl, index))
            return E_INVALIDARG;
        auto child = ComPtr<TestFolder>::Adopt(new (std::nothrow) TestFolder(depth_ + 1));
        if (!child)
            return E_OUTOFMEMORY;
        return child->QueryInterface(iid, out);
    }
    HRESULT BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT CompareIDs(LPARAM, LPCITEMIDLIST idl1, LPCITEMIDLIST idl2) override
    {
        DWORD first = 0;
        DWORD second = 0;
        if (!ReadElement(idl1, first) || !ReadElement(idl2, second))
            return E_INVALIDARG;
        return MAKE_HRESULT(0, 0, first < second ? 0xFFFF : first > second ? 1 : 0);
    }
    HRESULT CreateViewObject(HWND, REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (depth_ != 0 || !(iid == IShellView::kIid))
            return E_NOINTERFACE;
        auto view = ComPtr<TestView>::Adopt(new (std::nothrow) TestView);
        return view ? view->QueryInterface(iid, out) : E_OUTOFMEMORY;
    }
    HRESULT GetAttributesOf(UINT count, LPCITEMIDLIST*, ULONG* inOut) override
    {
        if (inOut == nullptr || count == 0)
            return E_INVALIDARG;
        *inOut &= SFGAO_FOLDER | SFGAO_BROWSABLE | (depth_ == 0 ? SFGAO_HASSUBFOLDER : 0);
        return S_OK;
    }
    HRESULT GetUIObjectOf(HWND, UINT count, LPCITEMIDLIST*, REFIID iid, UINT*, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (count != 1 || !(iid == IExtractIconA::kIid))
            return E_NOINTERFACE;
        auto icon = ComPtr<TestIcon>::Adopt(new (std::nothrow) TestIcon);
        return icon ? icon->QueryInterface(iid, out) : E_OUTOFMEMORY;
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST idl, DWORD, STRRET* out) override
    {
        DWORD index = 0;
        if (out == nullptr || !ReadElement(idl, index))
            return E_INVALIDARG;
        out->uType = STRRET_CSTR;
        std::snprintf(out->cStr, sizeof out->cStr, "Folder %u", index + 1);
        return S_OK;
    }
    HRESULT SetNameOf(HWND, LPCITEMIDLIST, const WCHAR*, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }

private:
    ~TestFolder() override = default;
    DWORD depth_;
};

class TestDriveMenu : public ComImplements<ComObject, IShellExtInit, IContextMenu>, private Counted {
public:
    HRESULT Initialize(LPCITEMIDLIST, IDataObject* data, void* key) override
    {
        paths_.clear();
        Log(std::string("init") + (key != nullptr ? " with key" : ""));
        if (data == nullptr)
            return S_OK;
        FORMATETC format;
        format.cfFormat = CF_HDROP;
        STGMEDIUM medium;
        if (data->GetData(&format, &medium) != S_OK)
            return S_OK;
        const UINT count = platform::shell::DragQueryFile(medium.hGlobal, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char path[MAX_PATH];
            platform::shell::DragQueryFile(medium.hGlobal, i, path, sizeof path);
            paths_.emplace_back(path);
        }
        ReleaseStgMedium(&medium);
        return S_OK;
    }
    HRESULT QueryContextMenu(HMENU menu, UINT position, UINT first, UINT, UINT) override
    {
        platform::ui::MenuItem item;
        item.id = first + 1;
        item.text = "Test &Drive Command";
        menu->InsertItem(position, platform::ui::MF_BYPOSITION, std::move(item));
        return MAKE_HRESULT(0, 0, 2);
    }
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override
    {
        std::string line = "invoke " + std::to_string(reinterpret_cast<UINT_PTR>(info->lpVerb));
        for (std::size_t i = 0; i < paths_.size(); ++i)
            line += (i == 0 ? " " : "|") + paths_[i];
        Log(line);
        return S_OK;
    }
    HRESULT GetCommandString(UINT_PTR, UINT, UINT*, char*, UINT) override { return E_NOTIMPL; }

private:
    ~TestDriveMenu() override = default;
    std::vector<std::string> paths_;
};

class TestFind : public ComImplements<ComObject, IContextMenu>, private Counted {
public:
    HRESULT QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return S_OK; }
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO*) override
    {
        Log("find invoked");
        return S_OK;
    }
    HRESULT GetCommandString(UINT_PTR, UINT, UINT*, char*, UINT) override { return E_NOTIMPL; }

private:
    ~TestFind() override = default;
};

class TestFactory : public ComImplements<ComObject, IClassFactory>, private Counted {
public:
    explicit TestFactory(const CLSID& clsid) : clsid_(clsid) { }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        ComPtr<IUnknown> made;
        if (clsid_ == kJunctionClass)
            made = ComPtr<IUnknown>::Adopt(static_cast<IShellFolder*>(new (std::nothrow) TestFolder(0)));
        else if (clsid_ == kDriveMenuClass)
            made = ComPtr<IUnknown>::Adopt(static_cast<IShellExtInit*>(new (std::nothrow) TestDriveMenu));
        else if (clsid_ == kFindClass)
            made = ComPtr<IUnknown>::Adopt(static_cast<IContextMenu*>(new (std::nothrow) TestFind));
        if (!made)
            return E_OUTOFMEMORY;
        return made->QueryInterface(iid, out);
    }
    HRESULT LockServer(BOOL lock) override
    {
        g_live += lock != 0 ? 1 : -1;
        return S_OK;
    }

private:
    ~TestFactory() override = default;
    CLSID clsid_;
};

} // namespace

TEST_SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (!(clsid == kJunctionClass || clsid == kDriveMenuClass || clsid == kFindClass || clsid == kRefusingClass))
        return CLASS_E_CLASSNOTAVAILABLE;
    auto factory = ComPtr<TestFactory>::Adopt(new (std::nothrow) TestFactory(clsid));
    return factory ? factory->QueryInterface(iid, out) : E_OUTOFMEMORY;
}

TEST_SERVER_EXPORT HRESULT DllCanUnloadNow()
{
    return g_live.load() == 0 ? S_OK : S_FALSE;
}
