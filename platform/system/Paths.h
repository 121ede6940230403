#pragma once
// Where the platform keeps its state: $XDG_DATA_HOME/pellidor (default
// ~/.local/share/pellidor), with the registry database, the system directory
// and the Favorites folder inside.

#include <string>

namespace platform::system {

// The user's data directory: $XDG_DATA_HOME, or ~/.local/share when it is
// unset or not absolute. Not created here.
std::string DataHomeDirectory();
// Created on first use.
std::string PlatformDataDirectory();
// The platform's system directory (PlatformDataDirectory()/system).
std::string SystemDirectory();
// The user's Favorites folder (PlatformDataDirectory()/Favorites).
std::string FavoritesDirectory();
// The user's home directory ($HOME).
std::string HomeDirectory();

} // namespace platform::system
