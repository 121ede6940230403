#pragma once
// The shell-link object: a shortcut that names an item of the namespace by
// its absolute identifier list, with a description, kept in a file of our
// own format (docs/shell-link.md). Made through CoCreateInstance with
// CLSID_ShellLink; IShellLinkA holds the target and the description,
// IPersistFile loads and saves them. The working directory, arguments,
// hotkey, icon and path forms answer E_NOTIMPL: a link here always names
// its target by identifier list.

#include "platform/com/ComObject.h"
#include "platform/com/ShellLinkInterfaces.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform::shell {

constexpr CLSID CLSID_ShellLink = MakeGuid(0x00021401, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);

// What a link file holds.
struct LinkContents {
    std::vector<BYTE> idList; // terminator included; empty when the link has no target
    std::string description;
};

// The longest description a link keeps, in bytes.
constexpr std::size_t kMaxLinkDescription = 1023;
// The longest identifier list a link keeps, terminator included.
constexpr std::size_t kMaxLinkIdList = 65536;

// `path` with the extension of its last name replaced by "lnk" (added when
// it has none): where a link named by `path` is kept. A leading dot starts no
// extension: ".notes" gives ".notes.lnk".
std::string WithLinkExtension(const std::string& path);

// The bytes of a link file.
std::vector<BYTE> FormatLinkFile(const LinkContents& contents);
// The contents of a link file's bytes, when every length lies inside them,
// the identifier list passes ValidateIdList, and nothing follows the
// description; nothing otherwise. Reads nothing outside `size` bytes.
std::optional<LinkContents> ParseLinkFile(const BYTE* data, std::size_t size);

class CShellLink : public com::ComImplements<com::ComObject, IShellLinkA, IPersistFile> {
public:
    CShellLink() = default;

    // IShellLinkA
    HRESULT GetPath(char* file, int cchMax, WIN32_FIND_DATAA* data, DWORD flags) override;
    HRESULT GetIDList(LPITEMIDLIST* out) override;
    HRESULT SetIDList(LPCITEMIDLIST idl) override;
    HRESULT GetDescription(char* name, int cchMax) override;
    HRESULT SetDescription(const char* name) override;
    HRESULT GetWorkingDirectory(char* dir, int cchMax) override;
    HRESULT SetWorkingDirectory(const char* dir) override;
    HRESULT GetArguments(char* args, int cchMax) override;
    HRESULT SetArguments(const char* args) override;
    HRESULT GetHotkey(WORD* hotkey) override;
    HRESULT SetHotkey(WORD hotkey) override;
    HRESULT GetShowCmd(int* show) override;
    HRESULT SetShowCmd(int show) override;
    HRESULT GetIconLocation(char* iconPath, int cchMax, int* index) override;
    HRESULT SetIconLocation(const char* iconPath, int index) override;
    HRESULT SetRelativePath(const char* path, DWORD reserved) override;
    HRESULT Resolve(HWND window, DWORD flags) override;
    HRESULT SetPath(const char* file) override;

    // IPersist
    HRESULT GetClassID(CLSID* out) override;
    // IPersistFile
    HRESULT IsDirty() override;
    HRESULT Load(const WCHAR* fileName, DWORD mode) override;
    HRESULT Save(const WCHAR* fileName, BOOL remember) override;
    HRESULT SaveCompleted(const WCHAR* fileName) override;
    HRESULT GetCurFile(WCHAR** fileName) override;

protected:
    ~CShellLink() override = default;
    // IPersist is answered by IPersistFile.
    IUnknown* FindInterface(REFIID iid) override;

private:
    LinkContents contents_;
    std::u16string currentFile_;
    bool dirty_ = false;
};

} // namespace platform::shell
