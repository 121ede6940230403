#pragma once
// Where the shell looks for its extensions in the registry: the one table
// that the hosting shell reads and an installer writes.

namespace platform::shell {

// Under HKEY_LOCAL_MACHINE.
inline constexpr const char* kDesktopNamespaceKey
    = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\Namespace";
inline constexpr const char* kMyComputerNamespaceKey
    = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\Namespace";
inline constexpr const char* kFindExtensionsKey
    = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static";
inline constexpr const char* kApprovedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
inline constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Under HKEY_CLASSES_ROOT.
inline constexpr const char* kDriveKey = "Drive";
inline constexpr const char* kDriveMenuHandlersKey = "Drive\\shellex\\ContextMenuHandlers";

} // namespace platform::shell
