#include "setup/Installer.h"

#include "platform/com/Guid.h"
#include "platform/com/ShellTypes.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/FileOperation.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Errors.h"
#include "platform/system/MoveFile.h"
#include "platform/system/Paths.h"
#include "platform/ui/MessageBox.h"
#include "setup/SetupTexts.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <optional>
#include <vector>

namespace setup {

namespace {

using platform::registry::Hive;
using platform::registry::Key;
using platform::system::ERROR_SUCCESS;

constexpr const char* kProductName = "Pellidor";
constexpr DWORD kShelfAttributes = 0xE8000100; // subfolders, file system, folder, browsable, drop target

std::string Text(const CLSID& clsid)
{
    return platform::com::FormatGuid(clsid);
}

std::string Join(const std::string& a, const std::string& b)
{
    return a + "\\" + b;
}

struct Value {
    std::string name; // "" the unnamed default
    std::string text;
    std::optional<DWORD> dword; // REG_DWORD instead of the text
};

// One key of the table: written with its values, or deleted when `remove`.
// A key whose creation failed takes the keys below it (`parent`) along.
struct Entry {
    Hive hive;
    std::string path;
    int parent = -1; // index of the entry this key lies below
    std::vector<Value> values;
    bool remove = false;
};

// The installed entries, in the order they are written.
std::vector<Entry> RegistryEntries(const InstallerState& state)
{
    const std::string shelf = Join("CLSID", Text(kShelfClsid));
    const std::string menu = Join("CLSID", Text(kDriveMenuClsid));
    const std::string find = Join("CLSID", Text(kFindMenuClsid));
    const std::string findEntry = Join(kFindExtensionsKey, kProductName);
    const std::string findItem = Join(findEntry, "0");
    const Value apartment{"ThreadingModel", "Apartment", {}};
    const Value library{"", state.targetLibrary, {}};
    const Value named{"", kProductName, {}};
    const auto place = [](const char* parent, bool selected) {
        return Entry{Hive::LocalMachine, Join(parent, Text(kShelfClsid)), -1, {Value{"", kProductName, {}}}, !selected};
    };
    return {
        {Hive::ClassesRoot, shelf, -1, {named}}, // 0
        {Hive::ClassesRoot, Join(shelf, "InprocServer32"), 0, {library, apartment}},
        {Hive::ClassesRoot, Join(shelf, "DefaultIcon"), 0, {library}},
        {Hive::ClassesRoot, Join(shelf, "ShellFolder"), 0, {Value{"Attributes", {}, kShelfAttributes}}},
        {Hive::ClassesRoot, menu, -1, {named}}, // 4
        {Hive::ClassesRoot, Join(menu, "InprocServer32"), 4, {library, apartment}},
        {Hive::ClassesRoot, find, -1, {named}}, // 6
        {Hive::ClassesRoot, Join(find, "InprocServer32"), 6, {library, apartment}},
        {Hive::ClassesRoot, Join(kDriveMenuHandlersKey, kProductName), -1, {Value{"", Text(kDriveMenuClsid), {}}}},
        place(kDesktopNamespaceKey, state.iconOnDesktop),
        place(kMyComputerNamespaceKey, state.iconInMyComputer),
        {Hive::LocalMachine, findEntry, -1, {Value{"", Text(kFindMenuClsid), {}}}}, // 11
        {Hive::LocalMachine, findItem, 11, {Value{"", FormatProduct(SetupText(kFindItemText)), {}}}}, // 12
        {Hive::LocalMachine, Join(findItem, "DefaultIcon"), 12, {library}},
        {Hive::LocalMachine, Join(findItem, "HelpText"), 12, {Value{"", FormatProduct(SetupText(kFindHelpText)), {}}}},
        {Hive::LocalMachine, kCatDirKey, -1, {Value{"", state.catalogDirectory, {}}}},
        {Hive::LocalMachine, kApprovedKey, -1, {Value{Text(kShelfClsid), kProductName, {}}}},
        {Hive::LocalMachine, Join(kUninstallKey, kProductName), -1,
            {Value{"DisplayName", kProductName, {}},
                Value{"UninstallString", state.uninstallerPath + " /uninstall", {}}}},
    };
}

std::string ParentOf(const std::string& path)
{
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0;
}

std::string ReadCatalogDirectory()
{
    Key key;
    std::string directory;
    if (key.Open(Hive::LocalMachine, kCatDirKey) != ERROR_SUCCESS || key.QueryString("", directory) != ERROR_SUCCESS)
        return {};
    return directory;
}

bool KeyExists(const char* parent, const CLSID& clsid)
{
    Key key;
    return key.Open(Hive::LocalMachine, Join(parent, Text(clsid))) == ERROR_SUCCESS;
}

} // namespace

CInstaller::CInstaller(const std::string& sourceFolder)
{
    state_.sourceLibrary = sourceFolder + "/" + kLibraryFile;
    state_.sourceInstaller = sourceFolder + "/" + kInstallerFile;
    state_.targetFolder = platform::system::SystemDirectory() + "/ShellExt";
    state_.targetLibrary = state_.targetFolder + "/" + kLibraryFile;
    state_.temporaryLibrary = state_.targetFolder + "/" + kTemporaryLibraryFile;
    state_.uninstallerPath = state_.targetFolder + "/" + kUninstallerFile;
    state_.catalogDirectory = ReadCatalogDirectory();
    if (state_.catalogDirectory.empty())
        state_.catalogDirectory = platform::system::HomeDirectory() + "/" + kProductName;
    state_.iconOnDesktop = KeyExists(kDesktopNamespaceKey, kShelfClsid);
    state_.iconInMyComputer = KeyExists(kMyComputerNamespaceKey, kShelfClsid);
    // A first installation puts the shelf on the Desktop.
    if (!state_.iconOnDesktop && !state_.iconInMyComputer)
        state_.iconOnDesktop = true;
}

void CInstaller::RecordFailure(std::string_view step, std::string_view object, DWORD code)
{
    if (code == 0)
        code = platform::system::GetLastError();
    RecordFailureText(step, object, platform::system::ErrorMessage(code));
}

void CInstaller::RecordFailureText(std::string_view step, std::string_view object, const std::string& errorText)
{
    state_.actionText = std::string(step) + ": " + std::string(object);
    state_.errorText = errorText;
    ++failures_;
}

CDesktopIntegration CInstaller::Desktop()
{
    return CDesktopIntegration(state_, platform::system::DataHomeDirectory(),
        [this](std::string_view step, std::string_view object, const std::string& error) {
            RecordFailureText(step, object, error);
        });
}

bool CInstaller::Install()
{
    failures_ = 0;
    MakeDirectory(state_.targetFolder);
    MakeDirectory(state_.catalogDirectory);
    CopyProgramFiles();
    WriteRegistry();
    Desktop().Install();
    NotifyShellFolders();
    return failures_ == 0;
}

void CInstaller::MakeDirectory(const std::string& path)
{
    // Whatever has the name already is left alone; one level is made.
    if (Exists(path))
        return;
    if (!platform::shell::CreateDirectory(path))
        RecordFailure("CreateDirectory", path, 0);
}

void CInstaller::CopyProgramFiles()
{
    if (!platform::system::CopyFile(state_.sourceInstaller, state_.uninstallerPath, false))
        RecordFailure("CopyFile", state_.uninstallerPath, 0);
    if (platform::system::CopyFile(state_.sourceLibrary, state_.targetLibrary, false))
        return;
    const DWORD error = platform::system::GetLastError();
    if (error != platform::system::ERROR_SHARING_VIOLATION) {
        RecordFailure("CopyFile", state_.targetLibrary, error);
        return;
    }
    // The library is loaded: the new one waits beside it for the next start.
    if (!platform::system::CopyFile(state_.sourceLibrary, state_.temporaryLibrary, false)) {
        RecordFailure("CopyFile", state_.temporaryLibrary, 0);
        return;
    }
    ScheduleReplacement();
}

void CInstaller::ScheduleReplacement()
{
    using platform::system::MOVEFILE_DELAY_UNTIL_REBOOT;
    using platform::system::MOVEFILE_REPLACE_EXISTING;
    // The platform keeps no initialization file that a start would read: a
    // move it refuses is a failure, or the old library would stay for good
    // while the user is told a restart brings the new one.
    if (!platform::system::MoveFileEx(
            state_.temporaryLibrary, state_.targetLibrary, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
        RecordFailure("MoveFileEx", state_.targetLibrary, 0);
        return;
    }
    state_.restartNeeded = true;
}

void CInstaller::WriteRegistry()
{
    const std::vector<Entry> entries = RegistryEntries(state_);
    std::vector<bool> made(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (entry.remove) {
            DeleteKey(entry.hive, ParentOf(entry.path), NameOf(entry.path));
            continue;
        }
        if (entry.parent >= 0 && !made[static_cast<std::size_t>(entry.parent)])
            continue;
        Key key;
        const LONG created = key.Create(entry.hive, entry.path);
        if (created != ERROR_SUCCESS) {
            RecordFailure("RegCreateKey", entry.path, static_cast<DWORD>(created));
            continue;
        }
        made[i] = true;
        for (const Value& value : entry.values) {
            const LONG written
                = value.dword ? key.SetDword(value.name, *value.dword) : key.SetString(value.name, value.text);
            if (written != ERROR_SUCCESS)
                RecordFailure(
                    "RegSetValueEx", value.name.empty() ? kDefaultValueName : value.name, static_cast<DWORD>(written));
        }
    }
}

void CInstaller::DeleteKey(Hive hive, const std::string& parent, const std::string& subKey)
{
    Key key;
    const LONG opened = key.Open(hive, parent, platform::registry::Access::ReadWrite);
    if (opened == platform::system::ERROR_FILE_NOT_FOUND)
        return;
    if (opened != ERROR_SUCCESS) {
        platform::ui::MessageBox(nullptr, platform::system::ErrorMessage(static_cast<DWORD>(opened)), kProductName,
            platform::ui::MB_OK | platform::ui::MB_ICONINFORMATION);
        return;
    }
    // A missing subkey is no error: there is nothing to delete.
    key.DeleteTree(subKey);
}

bool CInstaller::Uninstall()
{
    failures_ = 0;
    const auto classKey = [](const CLSID& clsid) { return Text(clsid); };
    DeleteKey(Hive::ClassesRoot, "CLSID", classKey(kShelfClsid));
    DeleteKey(Hive::ClassesRoot, "CLSID", classKey(kDriveMenuClsid));
    DeleteKey(Hive::ClassesRoot, "CLSID", classKey(kFindMenuClsid));
    DeleteKey(Hive::ClassesRoot, kDriveMenuHandlersKey, kProductName);
    DeleteKey(Hive::LocalMachine, kDesktopNamespaceKey, classKey(kShelfClsid));
    DeleteKey(Hive::LocalMachine, kMyComputerNamespaceKey, classKey(kShelfClsid));
    DeleteKey(Hive::LocalMachine, kFindExtensionsKey, kProductName);
    DeleteKey(Hive::LocalMachine, "Software", kProductName);
    DeleteKey(Hive::LocalMachine, kUninstallKey, kProductName);
    Desktop().Uninstall();
    NotifyShellFolders();
    if (state_.deleteCatalogs)
        RemoveCatalogs();
    return failures_ == 0;
}

void CInstaller::RemoveCatalogs()
{
    // The catalogs at the top level only: files (or links) named *.pld, in
    // any letter case. A folder that happens to be named so is not a
    // catalog, and what lies below it stays.
    const QDir directory(QString::fromStdString(state_.catalogDirectory));
    std::vector<std::string> catalogs;
    const QFileInfoList entries = directory.entryInfoList(
        {QStringLiteral("*.pld")}, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir())
            catalogs.push_back(entry.absoluteFilePath().toStdString());
    }
    if (!catalogs.empty()) {
        using namespace platform::shell;
        const int result = FileOperation(
            nullptr, FO_DELETE, catalogs, std::string(), FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT);
        if (result != 0)
            RecordFailure("RemoveFiles", state_.catalogDirectory + "/*.pld", static_cast<DWORD>(result));
    }
    // Only an empty directory goes; anything else left keeps it.
    QDir().rmdir(QString::fromStdString(state_.catalogDirectory));
}

void NotifyShellFolders()
{
    const std::vector<BYTE> desktop = platform::shell::DesktopIdList();
    platform::shell::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, desktop.data(), nullptr);
    const std::vector<BYTE> myComputer = platform::shell::MyComputerIdList();
    platform::shell::SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, myComputer.data(), nullptr);
}

} // namespace setup
