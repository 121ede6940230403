#pragma once
// Drag and drop between data objects and Qt's drags.
//
// Out: DoDragDrop runs a QDrag whose QMimeData asks the data object when a
// target asks, never before. Two formats cross to other programs:
//   "Shell IDList Array" (the shell's identifier-list block, byte for byte)
//       as application/x-pellidor-shell-idlist-array;
//   CF_HDROP (a dropped-file block) as text/uri-list, one file: URL a path.
// The uri-list is offered only when the data object gives its file block at
// the time of the drag without asking the user (IsServingDrag): a target of
// another program asks from inside the window system's drag protocol, where
// a dialog cannot be answered.
//
// In: RegisterDragDrop hands a widget's drags to an IDropTarget. The target
// gets a data object over the incoming QMimeData, which gives the
// identifier-list format only, as the bytes that came, in a block of exactly
// their size: the target checks them as anything from outside.

#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"

#include <QByteArray>
#include <qnamespace.h>

#include <functional>

class QDrag;
class QMimeData;

namespace platform::ui {

// Our own MIME type for the identifier-list block.
constexpr const char* kShellIdListMimeType = "application/x-pellidor-shell-idlist-array";
// The shell's name of the identifier-list format (CFSTR_SHELLIDLIST).
constexpr const char* kShellIdListFormatName = "Shell IDList Array";

// Runs the drag of `data` with the effects `allowed` and answers
// DRAGDROP_S_DROP with the effect a target took, or DRAGDROP_S_CANCEL with
// DROPEFFECT_NONE. The drag loop is Qt's: Escape cancels, releasing the
// button drops, as the source's QueryContinueDrag answers; the source's
// GiveFeedback is asked on every change of effect, and the cursors are Qt's.
// The QDrag holds `data` until Qt lets the drag go, which on X11 is after a
// target of another program has fetched what it wants.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect);

// True while a drag's data is being handed to a target: nothing may ask the
// user then.
bool IsServingDrag();

// Gives the drags over `window` to `target` (one reference held until
// RevokeDragDrop or the window's end). For a scroll area register its
// viewport, where Qt delivers the drags. E_INVALIDARG for nulls,
// DRAGDROP_E_ALREADYREGISTERED for a window that has a target.
HRESULT RegisterDragDrop(HWND window, IDropTarget* target);
// DRAGDROP_E_NOTREGISTERED when the window has none.
HRESULT RevokeDragDrop(HWND window);

// A data object over `mime` (not owned; it must outlive the object's use,
// which a drop event's data does for the event).
com::ComPtr<IDataObject> CreateMimeDataObject(const QMimeData* mime);

// The drag's key state of Qt's buttons and modifiers.
DWORD KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// What lies under a point of a drag: a key that names it, and the maker of
// its target (none, or a maker that answers null: the place takes nothing).
struct DropPlace {
    QByteArray key;
    std::function<com::ComPtr<IDropTarget>()> target;
};
// A drop target for a widget whose places differ (a tree's nodes, a list's
// entries): on every move it asks `locate` for the place under the point
// (screen coordinates); when the key changes it leaves the old place's
// target and enters the new one, and hands Drop to the place's target. A
// target that does not answer DragOver keeps the effect its DragEnter gave.
com::ComPtr<IDropTarget> CreateDropTargetSwitch(std::function<DropPlace(POINTL)> locate);

// Test seam: called with the drag and the actions it allows right before it
// runs; null: nothing.
void SetDragStartObserver(std::function<void(QDrag&, Qt::DropActions)> observer);

} // namespace platform::ui
