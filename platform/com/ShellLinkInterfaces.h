#pragma once
// The interfaces of a shell link: the file it keeps itself in, and the
// link's own, with their Windows identifiers and method order.

#include "platform/com/ShellInterfaces.h"

// A file an object keeps itself in. Paths are wide texts (UTF-16).
struct IPersistFile : IPersist {
    static constexpr IID kIid = platform::com::ShellIid(0x0000010B);
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(const WCHAR* fileName, DWORD mode) = 0;
    virtual HRESULT Save(const WCHAR* fileName, BOOL remember) = 0;
    virtual HRESULT SaveCompleted(const WCHAR* fileName) = 0;
    virtual HRESULT GetCurFile(WCHAR** fileName) = 0;

protected:
    ~IPersistFile() = default;
};

struct WIN32_FIND_DATAA;

// A shortcut to an item of the namespace, with the window system's method
// order. Texts are narrow (the file system's bytes).
struct IShellLinkA : IUnknown {
    static constexpr IID kIid = platform::com::ShellIid(0x000214EE);
    virtual HRESULT GetPath(char* file, int cchMax, WIN32_FIND_DATAA* data, DWORD flags) = 0;
    virtual HRESULT GetIDList(LPITEMIDLIST* out) = 0;
    virtual HRESULT SetIDList(LPCITEMIDLIST idl) = 0;
    virtual HRESULT GetDescription(char* name, int cchMax) = 0;
    virtual HRESULT SetDescription(const char* name) = 0;
    virtual HRESULT GetWorkingDirectory(char* dir, int cchMax) = 0;
    virtual HRESULT SetWorkingDirectory(const char* dir) = 0;
    virtual HRESULT GetArguments(char* args, int cchMax) = 0;
    virtual HRESULT SetArguments(const char* args) = 0;
    virtual HRESULT GetHotkey(WORD* hotkey) = 0;
    virtual HRESULT SetHotkey(WORD hotkey) = 0;
    virtual HRESULT GetShowCmd(int* show) = 0;
    virtual HRESULT SetShowCmd(int show) = 0;
    virtual HRESULT GetIconLocation(char* iconPath, int cchMax, int* index) = 0;
    virtual HRESULT SetIconLocation(const char* iconPath, int index) = 0;
    virtual HRESULT SetRelativePath(const char* path, DWORD reserved) = 0;
    virtual HRESULT Resolve(HWND window, DWORD flags) = 0;
    virtual HRESULT SetPath(const char* file) = 0;

protected:
    ~IShellLinkA() = default;
};
