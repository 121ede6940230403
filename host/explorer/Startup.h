#pragma once
// Starting the explorer: the platform's moves at next start are carried out
// before any library loads, then the window opens at the location the
// command line names (an identifier list in hexadecimal, or a folder path),
// or at My Computer.

#include "platform/com/Types.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace host::explorer {

class ExplorerWindow;

// The location an argument names. An identifier list must pass the
// platform's check, a path must be a folder on a drive or in the home
// folder; otherwise My Computer, with the reason in `message`.
std::vector<BYTE> LocationFromArgument(const std::string& argument, QString* message);

// The absolute list of a folder of the file system: below the drive whose
// root holds it (the longest such root), else below the home folder; empty
// when neither holds it.
std::vector<BYTE> LocationOfFolder(const std::string& folder);

// Everything main does after the application exists: the pending moves
// (failures said on stderr), the window, the first location. `arguments`
// without the program name.
std::unique_ptr<ExplorerWindow> StartExplorer(const QStringList& arguments);

} // namespace host::explorer
