#include "cli/ShelfSupport.h"

#include "cli/Commands.h"
#include "module/ClassObjects.h"
#include "namespace/IdList.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>

#include <sys/stat.h>
#include <unistd.h>

namespace pellidor::cli {

namespace {

namespace fs = std::filesystem;
using platform::com::ComPtr;

std::string Canonical(const std::string& path)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path : canonical.string();
}

bool IsDirectory(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> SplitNames(const std::string& path)
{
    std::vector<std::string> names;
    std::string current;
    for (const char c : path) {
        if (c == '/' || c == '\\') {
            if (!current.empty())
                names.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(current);
    return names;
}

// Every shelf folder below `folder` (itself first), depth-first.
void ForEachShelfFolder(CShelfFolder& folder, const std::function<void(CShelfFolder&)>& visit)
{
    folder.LoadChildren(false);
    visit(folder);
    for (int i = 0; i < folder.GetChildCount(); ++i) {
        if (auto* child = dynamic_cast<CShelfFolder*>(folder.GetChild(i)))
            ForEachShelfFolder(*child, visit);
    }
}

std::vector<ComPtr<CShelfItem>> AllCatalogs(CShelfFolder& root)
{
    std::vector<ComPtr<CShelfItem>> catalogs;
    ForEachShelfFolder(root, [&](CShelfFolder& folder) {
        for (int i = 0; i < folder.GetChildCount(); ++i) {
            if (auto* catalog = dynamic_cast<CShelfItem*>(folder.GetChild(i)))
                catalogs.push_back(ComPtr<CShelfItem>::AddRefed(catalog));
        }
    });
    return catalogs;
}

// A catalog file that is not on the shelf, made the way a scan makes one.
ComPtr<CShelfItem> CatalogOutsideTheShelf(const std::string& path, std::string* error)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0 || path.size() >= kNameBytes) {
        *error = "cannot use the catalog '" + path + "'";
        return nullptr;
    }
    CatRecord record{};
    record.LastWriteTime = static_cast<std::int32_t>(st.st_mtime);
    record.LastAccessTime = static_cast<std::int32_t>(st.st_atime);
    record.CreationTime = kNoTime;
    record.Size = static_cast<DWORD>(st.st_size);
    std::memcpy(record.Name, path.data(), path.size());
    const BYTE emptyRoot[2] = {0, 0};
    return platform::com::MakeCom<CShelfItem>(reinterpret_cast<LPCITEMIDLIST>(emptyRoot), record);
}

std::string OneLine(std::string_view text)
{
    std::string line(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\t', ' ');
    return line;
}

} // namespace

ComPtr<CShelfFolder> OpenShelf()
{
    ComPtr<IClassFactory> factory;
    ComPtr<IShellFolder> folder;
    if (FAILED(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()))
        || FAILED(factory->CreateInstance(nullptr, IShellFolder::kIid, folder.ReceiveVoid()))) {
        Fail("the shelf cannot be made");
        return nullptr;
    }
    const auto persist = folder.As<IPersistFolder>();
    const BYTE emptyRoot[2] = {0, 0};
    if (!persist || FAILED(persist->Initialize(reinterpret_cast<LPCITEMIDLIST>(emptyRoot)))) {
        Fail("the shelf cannot be initialised");
        return nullptr;
    }
    return ComPtr<CShelfFolder>::AddRefed(dynamic_cast<CShelfFolder*>(folder.Get()));
}

ComPtr<CShelfFolder> FindShelfFolder(CShelfFolder& root, const std::string& name, std::string* error)
{
    if (SplitNames(name).empty())
        return ComPtr<CShelfFolder>::AddRefed(&root);
    if (IsDirectory(name)) {
        const std::string wanted = Canonical(name);
        ComPtr<CShelfFolder> found;
        ForEachShelfFolder(root, [&](CShelfFolder& folder) {
            if (!found && Canonical(folder.GetPath()) == wanted)
                found = ComPtr<CShelfFolder>::AddRefed(&folder);
        });
        if (found)
            return found;
    }
    ComPtr<CShelfFolder> current = ComPtr<CShelfFolder>::AddRefed(&root);
    for (const auto& component : SplitNames(name)) {
        current->LoadChildren(false);
        ComPtr<CShelfFolder> next;
        for (int i = 0; i < current->GetChildCount() && !next; ++i) {
            auto* child = dynamic_cast<CShelfFolder*>(current->GetChild(i));
            if (child != nullptr && child->GetName() == component)
                next = ComPtr<CShelfFolder>::AddRefed(child);
        }
        if (!next) {
            *error = "no shelf folder '" + name + "'";
            return nullptr;
        }
        current = next;
    }
    return current;
}

ComPtr<CShelfItem> FindCatalog(CShelfFolder& root, const std::string& name, std::string* error)
{
    const auto catalogs = AllCatalogs(root);
    if (IsFile(name)) {
        const std::string wanted = Canonical(name);
        for (const auto& catalog : catalogs) {
            if (Canonical(catalog->CatalogFilePath()) == wanted)
                return catalog;
        }
        return CatalogOutsideTheShelf(wanted, error);
    }
    std::vector<ComPtr<CShelfItem>> named;
    for (const auto& catalog : catalogs) {
        if (catalog->GetName() == name)
            named.push_back(catalog);
    }
    // "Folder/Name": a catalog of that name directly in that shelf folder.
    if (const auto names = SplitNames(name); named.empty() && names.size() > 1) {
        std::string folderPath;
        for (std::size_t i = 0; i + 1 < names.size(); ++i)
            folderPath += names[i] + "/";
        std::string ignored;
        if (const auto folder = FindShelfFolder(root, folderPath, &ignored)) {
            for (int i = 0; i < folder->GetChildCount(); ++i) {
                auto* catalog = dynamic_cast<CShelfItem*>(folder->GetChild(i));
                if (catalog != nullptr && catalog->GetName() == names.back())
                    named.push_back(ComPtr<CShelfItem>::AddRefed(catalog));
            }
        }
    }
    if (named.size() == 1)
        return named.front();
    if (named.empty()) {
        *error = "no catalog '" + name + "' on the shelf";
        return nullptr;
    }
    std::string list;
    for (const auto& catalog : named)
        list += (list.empty() ? "" : ", ") + catalog->CatalogFilePath();
    *error = "'" + name + "' names " + std::to_string(named.size()) + " catalogs: " + list;
    return nullptr;
}

ComPtr<CCatFolder> FindShelfEntry(CShelfFolder& root, const std::string& name, std::string* error)
{
    std::string folderError;
    if (!SplitNames(name).empty()) {
        if (auto folder = FindShelfFolder(root, name, &folderError); folder && !folder->IsRoot())
            return folder;
    }
    if (auto catalog = FindCatalog(root, name, error))
        return catalog;
    *error = "no catalog or shelf folder '" + name + "'";
    return nullptr;
}

TerminalDialogs::TerminalDialogs(bool assumeYes)
{
    platform::ui::SetNonInteractiveYes(assumeYes);
    platform::ui::SetMessageBoxHook([this, assumeYes](std::string_view text, std::string_view, UINT type) {
        const UINT buttons = type & 0xF;
        const bool question = buttons == platform::ui::MB_YESNO || buttons == platform::ui::MB_OKCANCEL;
        const int yes = buttons == platform::ui::MB_YESNO ? platform::ui::IDYES : platform::ui::IDOK_;
        const int no = buttons == platform::ui::MB_YESNO ? platform::ui::IDNO : platform::ui::IDCANCEL_;
        if (!question) {
            lastError_ = OneLine(text);
            return platform::ui::IDOK_;
        }
        if (assumeYes)
            return yes;
        if (::isatty(STDIN_FILENO) == 0) {
            // Nobody to ask: refuse, and say how to agree in advance.
            declined_ = true;
            lastError_ = OneLine(text) + " (no terminal to ask; use --yes)";
            return no;
        }
        std::fprintf(stderr, "%s [y/N] ", OneLine(text).c_str());
        std::string answer;
        std::getline(std::cin, answer);
        const bool agreed = !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
        if (!agreed) {
            declined_ = true;
            lastError_ = "not done: declined";
        }
        return agreed ? yes : no;
    });
}

TerminalDialogs::~TerminalDialogs()
{
    platform::ui::SetMessageBoxHook(nullptr);
}

bool TakeFlag(std::vector<std::string>& arguments, const std::string& flag)
{
    const auto at = std::find(arguments.begin(), arguments.end(), flag);
    if (at == arguments.end())
        return false;
    arguments.erase(at);
    return true;
}

bool TakeOption(std::vector<std::string>& arguments, const std::string& option, std::optional<std::string>* value)
{
    const auto at = std::find(arguments.begin(), arguments.end(), option);
    if (at == arguments.end())
        return true;
    if (at + 1 == arguments.end()) {
        Fail(option + " needs a value");
        return false;
    }
    *value = *(at + 1);
    arguments.erase(at, at + 2);
    return true;
}

std::vector<std::vector<std::string>> ChildRows(CCatFolder& folder, int sortColumn, int columnCount)
{
    folder.LoadChildren(false);
    std::vector<CCatItem*> children;
    for (int i = 0; i < folder.GetChildCount(); ++i)
        children.push_back(folder.GetChild(i));
    std::stable_sort(children.begin(), children.end(),
        [sortColumn](CCatItem* a, CCatItem* b) { return a->CompareTo(*b, sortColumn) < 0; });
    std::vector<std::vector<std::string>> rows;
    for (CCatItem* child : children) {
        std::vector<std::string> row;
        for (int column = 0; column < columnCount; ++column)
            row.push_back(child->GetColumnText(column, false));
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

// Names compare as the catalog's own file system did: A-Z folded.
bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return fold(x) == fold(y);
    });
}

} // namespace

ComPtr<CCatFolder> FindCatalogFolder(CCatFolder& catalogRoot, const std::string& path, std::string* error)
{
    ComPtr<CCatFolder> current = ComPtr<CCatFolder>::AddRefed(&catalogRoot);
    std::string name;
    std::vector<std::string> names;
    for (const char c : path + "/") {
        if (c == '/' || c == '\\') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    for (const auto& component : names) {
        current->LoadChildren(false);
        ComPtr<CCatFolder> next;
        for (int i = 0; i < current->GetChildCount() && !next; ++i) {
            CCatItem* child = current->GetChild(i);
            auto* folder = dynamic_cast<CCatFolder*>(child);
            if (folder != nullptr && SameName(child->GetName(), component))
                next = ComPtr<CCatFolder>::AddRefed(folder);
        }
        if (!next) {
            *error = "no folder '" + path + "' in the catalog";
            return nullptr;
        }
        current = next;
    }
    return current;
}

} // namespace pellidor::cli
