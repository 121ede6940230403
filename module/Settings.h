#pragma once
// Where the per-user settings of the views live: HKEY_CURRENT_USER
// "Software\<module name>\<section>", values REG_DWORD.

#include <string>
#include <string_view>

namespace pellidor {

inline constexpr std::string_view kCatViewSection = "CatView";
inline constexpr std::string_view kShelfViewSection = "ShelfView";
inline constexpr std::string_view kSearchDialogSection = "SearchDlg";

// The name of the library file the product lives in, without directory and
// extension: "Pellidor".
std::string ModuleName();

// "Software\Pellidor\CatView" for "CatView".
std::string SettingsKey(std::string_view section);

} // namespace pellidor
