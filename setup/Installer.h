#pragma once
// CInstaller: what Setup puts on the machine and takes away again. Install
// copies the library and the uninstaller into the system directory's
// ShellExt folder, makes the catalog directory, and writes the registry
// entries by which a shell finds the library: its three classes, the
// shelf's junctions, the drive menu, the Find entry, the catalog directory
// and the entry in the list of installed programs. Uninstall deletes the
// keys again and, when asked, moves the catalogs to the Trash.
//
// A step that fails is recorded (the last failure is kept) and the steps
// after it still run; Install and Uninstall answer whether none failed.
// Setup links the platform only, never the library it installs.

#include "platform/com/Types.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ShellKeys.h"
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

private:
    void MakeDirectory(const std::string& path);
    void CopyProgramFiles();
    void ScheduleReplacement();
    void WriteRegistry();
    void RemoveCatalogs();
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
