#pragma once
// CInstaller: what Setup puts on the machine and takes away again. Install
// copies the library and the uninstaller into the system directory's
// ShellExt folder, makes the catalog directory, and writes the registry
// entries by which a shell finds the library: its three classes, the
// shelf's junctions, the drive menu, the Find entry, the catalog directory
// and the entry in the list of installed programs; then it tells the Linux
// desktop of the product (CDesktopIntegration). Uninstall deletes the keys
// and the desktop's files again and, when asked, moves the catalogs to the
// Trash.
//
// A step that fails is recorded (the last failure is kept) and the steps
// after it still run; Install and Uninstall answer whether none failed.
// Setup links the platform only, never the library it installs.

#include "platform/com/Guid.h"
#include "platform/com/Types.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ShellKeys.h"
#include "setup/DesktopIntegration.h"
#include "setup/InstallerState.h"

#include <string>
#include <string_view>

namespace setup {

// The shell's registry locations.
using platform::shell::kApprovedKey;
using platform::shell::kDesktopNamespaceKey;
using platform::shell::kDriveMenuHandlersKey;
using platform::shell::kFindExtensionsKey;
using platform::shell::kMyComputerNamespaceKey;
using platform::shell::kUninstallKey;
// The three classes of the library.
inline constexpr CLSID kShelfClsid
    = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
inline constexpr CLSID kDriveMenuClsid
    = MakeGuid(0x4C7D2A91, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
inline constexpr CLSID kFindMenuClsid
    = MakeGuid(0x4C7D2A92, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
// The catalog directory's key, under HKEY_LOCAL_MACHINE.
inline constexpr const char* kCatDirKey = "Software\\Pellidor\\CatDir";

// The file names Setup works with.
inline constexpr const char* kLibraryFile = "Pellidor.so";
inline constexpr const char* kInstallerFile = "Setup";
inline constexpr const char* kTemporaryLibraryFile = "Pellidor.001";
inline constexpr const char* kUninstallerFile = "pldinst.dll";

// The object named for a failed write of a key's unnamed default value.
inline constexpr const char* kDefaultValueName = "(default)";

class CInstaller {
public:
    // Fills the state for a program started from `sourceFolder`.
    explicit CInstaller(const std::string& sourceFolder);

    InstallerState& State() { return state_; }
    const InstallerState& State() const { return state_; }

    bool Install();
    bool Uninstall();

    // Sets the action and error texts; code 0 takes the thread's last error.
    void RecordFailure(std::string_view step, std::string_view object, DWORD code);
    // The same with the error's text, for what fails without an error code.
    void RecordFailureText(std::string_view step, std::string_view object, const std::string& errorText);

private:
    void MakeDirectory(const std::string& path);
    void CopyProgramFiles();
    void ScheduleReplacement();
    void WriteRegistry();
    void RemoveCatalogs();
    // The desktop's entries, icon, file type and file-manager actions.
    CDesktopIntegration Desktop();
    // Deletes `subKey` below `parent` with everything under it. A parent
    // that exists but cannot be opened is said in a message box, and not
    // recorded; a missing one has nothing to delete.
    void DeleteKey(platform::registry::Hive hive, const std::string& parent, const std::string& subKey);

    InstallerState state_;
    int failures_ = 0; // in the present Install or Uninstall
};

// Tells the shell that the Desktop and My Computer changed, Desktop first.
void NotifyShellFolders();

} // namespace setup
