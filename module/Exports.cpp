// The library's exports, with C linkage and default visibility; everything
// else in Pellidor.so stays hidden.

#include "items/MediumQuery.h"
#include "items/PropertySheetUi.h"
#include "module/ClassObjects.h"
#include "module/Registration.h"
#include "namespace/FolderViews.h"
#include "pages/InsertMediumDialog.h"
#include "pages/ItemPropertySheet.h"
#include "platform/com/Guid.h"
#include "platform/com/Types.h"
#include "platform/system/Module.h"
#include "search/SearchDialog.h"
#include "views/FolderViewMaker.h"

#include <QApplication>

#include <optional>

#define PELLIDOR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Wired while the library loads, before any object exists: the questions
// the items ask of the user are answered by the library's dialogs, and
// their Properties commands show the library's property sheets.
const bool g_userInterfaceWired = (pellidor::SetMediumPrompt(&pellidor::InsertMediumPrompt()),
    pellidor::SetPropertySheetUi(&pellidor::ItemPropertySheetUi()), true);
// The folders' views are the library's views.
const bool g_viewsWired = (pellidor::SetFolderViews(&pellidor::TheFolderViews()), true);

} // namespace

PELLIDOR_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    return pellidor::GetClassObject(clsid, iid, out);
}

PELLIDOR_EXPORT HRESULT DllCanUnloadNow()
{
    return pellidor::CanUnloadNow() ? S_OK : S_FALSE;
}

namespace {

// An address inside the library, for the file it was loaded from.
const char g_libraryAnchor = 0;

} // namespace

PELLIDOR_EXPORT HRESULT DllRegisterServer()
{
    // Always S_OK: what could not be written is simply not there.
    pellidor::RegisterClasses(platform::system::ModulePathOf(&g_libraryAnchor));
    return S_OK;
}

// The runner's entry (rundll32 LIBRARY,DoSearch): the Find window, without an
// owner, until the user closes it. The four arguments are those of every
// runner entry and mean nothing here. A runner without an application gets
// one for the window's lifetime; one without widgets cannot show it.
PELLIDOR_EXPORT void DoSearch(HWND, void*, const char*, int)
{
    std::optional<QApplication> ownApplication;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "Pellidor";
        static char* argv[] = {name, nullptr};
        ownApplication.emplace(argc, argv);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    pellidor::RunSearchDialog();
}
