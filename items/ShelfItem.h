#pragma once
// CShelfItem: one catalog on the shelf, the catalog file of one catalogued
// volume. It is the folder of the volume's root inside the catalog, and it
// carries the commands on the whole catalog: delete, properties, export and
// the change of its user name and content text.
//
// The item keeps no file open: the catalog's header is read once when the
// item is made from a scan, and the catalog is opened again for each
// operation that needs it.

#include "namespace/CatFolder.h"

#include <functional>
#include <optional>
#include <string>

namespace pellidor {

struct FileError;

class CShelfItem : public platform::com::ComImplements<CCatFolder, IQueryInfo> {
public:
    // From a scan of a shelf directory: `findData` is the catalog file's
    // entry with its full path as the name. The catalog's header fills the
    // element; a catalog that cannot be opened gets the fallback texts.
    CShelfItem(LPCITEMIDLIST root, const CatRecord& findData);
    // From an identifier the shell hands back (its last element a catalog
    // element).
    CShelfItem(LPCITEMIDLIST root, LPCITEMIDLIST own);

    // CCatItem operations.
    HRESULT OnExport(CMINVOKECOMMANDINFO* info) override;
    void AddToStatistics(ItemStatistics& statistics) override;
    int GetSortGroup() override;
    std::string GetColumnText(int column, bool sortKey) override;
    HRESULT OnDelete(CMINVOKECOMMANDINFO* info) override;
    UINT GetMenuID() override;
    HRESULT OnProperties(CMINVOKECOMMANDINFO* info) override;
    std::string GetName() override;
    bool IsFolder() override;
    int GetIconIndex() override;
    LPITEMIDLIST GetLastID() override;
    HRESULT GetShellAttributes(ULONG* mask) override;
    HRESULT GetDisplayName(DWORD flags, STRRET* out) override;

    // The catalog file's full path.
    std::string CatalogFilePath() const;
    std::string FileSystemName() const;
    std::uint32_t DriveType() const;

    // Stores a new user name and/or content text (none: kept) in the
    // catalog's header; announces the change on success. False, with the
    // Windows error in `error`, when the catalog cannot be opened or
    // written; then nothing is announced and the header is as it was.
    // Nothing is shown.
    bool SetInformation(
        const std::optional<std::string>& userName, const std::optional<std::string>& content, DWORD* error = nullptr);
    // The catalog file's size on disk; false when its status cannot be read.
    bool CatalogFileSize(std::uint64_t* size) const;

    // Writes the export file at `path` (created or replaced): the header
    // line, then one line per catalogued file, CR LF line ends. False, with
    // the Windows error and the file it concerns in `error`, when the
    // catalog cannot be opened (the output is then not touched) or when
    // creating, writing or closing the output fails (no output is left).
    bool ExportToFile(const std::string& path, FileError* error);

    // Where the Save As dialog of the export command gets its file name
    // from: a function answering the chosen path, or nothing for Cancel.
    // Null restores the dialog. Tests and front ends without a window
    // system set it.
    using SaveFileChooser = std::function<std::optional<std::string>(HWND owner)>;
    static void SetSaveFileChooser(SaveFileChooser chooser);

    // IExtractIconA, answered before the inherited one: the catalog's own
    // volume icons.
    HRESULT GetIconLocation(UINT flags, char* iconFile, UINT cchMax, int* index, UINT* outFlags) override;
    HRESULT Extract(const char* file, UINT index, HICON* large, HICON* small, UINT iconSize) override;
    // IQueryInfo: the shelf shows no info tips.
    HRESULT GetInfoTip(DWORD flags, WCHAR** tip) override;
    HRESULT GetInfoFlags(DWORD* flags) override;

protected:
    ~CShelfItem() override = default;
};

} // namespace pellidor
