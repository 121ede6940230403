// pellidor ls [--json] CATALOG [FOLDER]: a catalog folder's five columns,
// folders first, then by name.

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ShelfSupport.h"
#include "module/Resources.h"

namespace pellidor::cli {

namespace {

using platform::com::ComPtr;

// Names compare as the catalog's own file system did: A-Z folded.
bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return fold(x) == fold(y);
    });
}

ComPtr<CCatFolder> FindFolder(CCatFolder& catalogRoot, const std::string& path, std::string* error)
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

} // namespace

int RunLs(const Arguments& arguments)
{
    Arguments rest = arguments;
    const bool json = TakeFlag(rest, "--json");
    if (rest.empty() || rest.size() > 2)
        return Fail("usage: pellidor ls [--json] CATALOG [FOLDER]", 2);
    const auto root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    const auto catalog = FindCatalog(*root, rest[0], &error);
    if (!catalog)
        return Fail(error);
    const auto folder = FindFolder(*catalog, rest.size() > 1 ? rest[1] : std::string(), &error);
    if (!folder)
        return Fail(error);

    // A catalog folder shows the item columns up to the attributes.
    constexpr int kColumns = kColumnAttributes + 1;
    Row headings;
    for (int column = 0; column < kColumns; ++column)
        headings.push_back(LoadString(ItemColumnHeadingId(column)));
    if (!PrintTable(headings, ChildRows(*folder, kColumnName, kColumns), json))
        return Fail("cannot write the folder's list");
    return 0;
}

} // namespace pellidor::cli
