#pragma once
// What a Linux desktop learns of Pellidor, below the user's data directory
// ($XDG_DATA_HOME): the launcher's two entries, our icon in the hicolor
// theme, the catalog files' type, and "Add to Pellidor" in Dolphin and
// Nautilus. Every file is one of our own; nothing another program owns is
// edited. Uninstall removes exactly these files, and directories that are
// left empty by it.
//
// The entries start the programs from the folder Setup runs from: the
// explorer, rundll32 and pellidor lie beside it.

#include "setup/InstallerState.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// One file, its path relative to the data directory.
struct DesktopFile {
    std::string path;
    std::string content;
    bool executable = false;
};

// A failed step: its name, its object and the error's text.
using FailureRecorder = std::function<void(std::string_view step, std::string_view object, const std::string& error)>;

// The files for `state`, in the order they are written.
std::vector<DesktopFile> DesktopFiles(const InstallerState& state);

// One argument of a desktop entry's Exec line, quoted where the entry's
// rules ask for it and escaped as the entry's string values are.
std::string ExecArgument(const std::string& argument);

// `text` as a word of the shell that nothing in it can end or expand.
std::string ShellQuoted(const std::string& text);

class CDesktopIntegration {
public:
    CDesktopIntegration(const InstallerState& state, std::string dataHome, FailureRecorder record);

    // Writes every file (over an earlier installation's) and lets the
    // desktop's caches know.
    void Install();
    // Removes every file; a missing one is no failure.
    void Uninstall();

private:
    bool MakeDirectories(const std::string& directory);
    void WriteFile(const DesktopFile& file);
    void RemoveFile(const std::string& relative);
    void RemoveEmptyDirectories(const std::string& relative);
    void UpdateMimeDatabase();
    void UpdateIconCache();
    // Runs `program` when it is installed; a failing run is recorded.
    void RunTool(const char* program, const std::vector<std::string>& arguments, const std::string& object);

    const InstallerState& state_;
    std::string dataHome_;
    FailureRecorder record_;
};

} // namespace setup
