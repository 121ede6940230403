#include "platform/ui/DragDrop.h"
#include "platform/com/GiveOnlyDataObject.h"

#include "platform/com/ComObject.h"
#include "platform/shell/DropFiles.h"
#include "platform/ui/Messages.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <cstring>
#include <new>
#include <optional>

namespace platform::ui {

namespace {

constexpr const char* kUriListMimeType = "text/uri-list";
// No identifier-list block of a real drag comes near this; a larger one is
// refused rather than copied.
constexpr qsizetype kLargestBlock = 16 * 1024 * 1024;

int g_serving = 0; // user-interface thread only
std::function<void(QDrag&, Qt::DropActions)> g_dragStartObserver;

class ServingDrag {
public:
    ServingDrag() { ++g_serving; }
    ~ServingDrag() { --g_serving; }
    ServingDrag(const ServingDrag&) = delete;
    ServingDrag& operator=(const ServingDrag&) = delete;
};

CLIPFORMAT IdListFormat()
{
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormat(kShellIdListFormatName));
    return format;
}

FORMATETC RequestFor(CLIPFORMAT format)
{
    FORMATETC request;
    request.cfFormat = format;
    return request;
}

// The block a data object gives for `format`, as bytes; empty when it gives
// none.
QByteArray BlockBytes(IDataObject& data, CLIPFORMAT format)
{
    FORMATETC request = RequestFor(format);
    STGMEDIUM medium;
    if (FAILED(data.GetData(&request, &medium)))
        return {};
    QByteArray bytes;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        const std::size_t size = com::GlobalSize(medium.hGlobal);
        if (size <= static_cast<std::size_t>(kLargestBlock))
            bytes = QByteArray(
                reinterpret_cast<const char*>(com::GlobalData(medium.hGlobal)), static_cast<qsizetype>(size));
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

Qt::DropActions ActionsOf(DWORD effects)
{
    Qt::DropActions actions;
    if ((effects & DROPEFFECT_COPY) != 0)
        actions |= Qt::CopyAction;
    if ((effects & DROPEFFECT_MOVE) != 0)
        actions |= Qt::MoveAction;
    if ((effects & DROPEFFECT_LINK) != 0)
        actions |= Qt::LinkAction;
    return actions;
}

DWORD EffectsOf(Qt::DropActions actions)
{
    DWORD effects = DROPEFFECT_NONE;
    if (actions.testFlag(Qt::CopyAction))
        effects |= DROPEFFECT_COPY;
    if (actions.testFlag(Qt::MoveAction))
        effects |= DROPEFFECT_MOVE;
    if (actions.testFlag(Qt::LinkAction))
        effects |= DROPEFFECT_LINK;
    return effects;
}

// One action for an effect; with several bits, move before copy before
// link, as a plain drag prefers.
Qt::DropAction ActionOf(DWORD effect)
{
    if ((effect & DROPEFFECT_MOVE) != 0)
        return Qt::MoveAction;
    if ((effect & DROPEFFECT_COPY) != 0)
        return Qt::CopyAction;
    if ((effect & DROPEFFECT_LINK) != 0)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

// A drag's data as Qt asks it: each format is fetched from the data object
// when a target asks, never at the start of the drag.
class DataObjectMimeData : public QMimeData {
public:
    explicit DataObjectMimeData(com::ComPtr<IDataObject> data) : data_(std::move(data)) { }

    QStringList formats() const override
    {
        const ServingDrag serving;
        QStringList formats;
        FORMATETC idList = RequestFor(IdListFormat());
        if (data_->QueryGetData(&idList) == S_OK)
            formats << QString::fromLatin1(kShellIdListMimeType);
        if (!UriList().isEmpty())
            formats << QString::fromLatin1(kUriListMimeType);
        return formats;
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override
    {
        const ServingDrag serving;
        if (mimeType == QLatin1String(kShellIdListMimeType)) {
            QByteArray bytes = BlockBytes(*data_, IdListFormat());
            return bytes.isEmpty() ? QVariant() : QVariant(bytes);
        }
        if (mimeType == QLatin1String(kUriListMimeType)) {
            const QByteArray& list = UriList();
            return list.isEmpty() ? QVariant() : QVariant(list);
        }
        return {};
    }

private:
    // Asked once: finding the files may look at every drive.
    const QByteArray& UriList() const
    {
        if (!uriList_) {
            uriList_.emplace();
            FORMATETC files = RequestFor(CF_HDROP);
            if (data_->QueryGetData(&files) == S_OK) {
                const QByteArray block = BlockBytes(*data_, CF_HDROP);
                std::vector<std::string> paths;
                if (shell::ReadDropFiles(reinterpret_cast<const BYTE*>(block.constData()),
                        static_cast<std::size_t>(block.size()), paths))
                    for (const std::string& path : paths)
                        uriList_->append(QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\r\n");
            }
        }
        return *uriList_;
    }

    com::ComPtr<IDataObject> data_;
    mutable std::optional<QByteArray> uriList_;
};

// A drop's data for a target: the identifier-list format, as the bytes that
// came.
class MimeDataObject : public com::GiveOnlyDataObject {
public:
    explicit MimeDataObject(const QMimeData* mime) : mime_(mime) { }

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (const HRESULT usable = AcceptRequest(format, medium); usable != S_OK)
            return usable;
        const QByteArray bytes = mime_->data(QString::fromLatin1(kShellIdListMimeType));
        if (bytes.isEmpty() || bytes.size() > kLargestBlock)
            return DV_E_FORMATETC;
        // Exactly the bytes that came: the receiver reads no further than
        // the block's size.
        com::GlobalPtr block(com::GlobalAlloc(static_cast<std::size_t>(bytes.size())));
        if (!block)
            return E_OUTOFMEMORY;
        std::memcpy(com::GlobalData(block.get()), bytes.constData(), static_cast<std::size_t>(bytes.size()));
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block.release(); // the receiver's now
        return S_OK;
    }
    HRESULT QueryGetData(FORMATETC* format) override
    {
        if (format == nullptr)
            return E_INVALIDARG;
        if (format->cfFormat != IdListFormat() || !com::IsGlobalContentRequest(*format) || mime_.isNull()
            || !mime_->hasFormat(QString::fromLatin1(kShellIdListMimeType)))
            return DV_E_FORMATETC;
        return S_OK;
    }

private:
    ~MimeDataObject() override = default;

    QPointer<const QMimeData> mime_;
};

POINTL ScreenPoint(const QWidget* window, const QPointF& at)
{
    const QPoint global = window->mapToGlobal(at.toPoint());
    POINTL point;
    point.x = global.x();
    point.y = global.y();
    return point;
}

// Hands a window's drag events to its target; a child of the window, so it
// goes (and lets the target go) with it.
class DropTargetFilter : public QObject {
public:
    DropTargetFilter(QWidget* window, com::ComPtr<IDropTarget> target) : QObject(window), target_(std::move(target))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (window == nullptr)
            return false;
        switch (event->type()) {
        case QEvent::DragEnter:
            Enter(window, *static_cast<QDragEnterEvent*>(event));
            return true;
        case QEvent::DragMove:
            Move(window, *static_cast<QDragMoveEvent*>(event));
            return true;
        case QEvent::DragLeave:
            Leave();
            return true;
        case QEvent::Drop:
            Drop(window, *static_cast<QDropEvent*>(event));
            return true;
        default:
            return false;
        }
    }

private:
    void Enter(QWidget* window, QDragEnterEvent& event)
    {
        data_ = CreateMimeDataObject(event.mimeData());
        const DWORD allowed = EffectsOf(event.possibleActions());
        DWORD effect = allowed;
        target_->DragEnter(data_.Get(), KeyStateOf(event.buttons(), event.modifiers()),
            ScreenPoint(window, event.position()), &effect);
        effect_ = effect & allowed;
        // Accepted whatever the effect, so that the moves keep coming: a
        // place further on may take the drop.
        event.setDropAction(ActionOf(effect_));
        event.accept();
    }

    void Move(QWidget* window, QDragMoveEvent& event)
    {
        const DWORD allowed = EffectsOf(event.possibleActions());
        DWORD effect = allowed;
        if (data_
            && SUCCEEDED(target_->DragOver(
                KeyStateOf(event.buttons(), event.modifiers()), ScreenPoint(window, event.position()), &effect)))
            effect_ = effect & allowed;
        Settle(event, effect_);
    }

    void Leave()
    {
        if (data_)
            target_->DragLeave();
        data_.Reset();
        effect_ = DROPEFFECT_NONE;
    }

    void Drop(QWidget* window, QDropEvent& event)
    {
        if (!data_ || effect_ == DROPEFFECT_NONE) {
            // As a drag that ends over a place that takes nothing.
            Leave();
            event.ignore();
            return;
        }
        const DWORD allowed = EffectsOf(event.possibleActions());
        DWORD effect = allowed;
        target_->Drop(data_.Get(), KeyStateOf(event.buttons(), event.modifiers()),
            ScreenPoint(window, event.position()), &effect);
        // A target that leaves the effect as given took the one it named
        // last.
        const DWORD taken = effect == allowed ? effect_ : effect & allowed;
        data_.Reset();
        effect_ = DROPEFFECT_NONE;
        Settle(event, taken);
    }

    static void Settle(QDropEvent& event, DWORD effect)
    {
        if (effect == DROPEFFECT_NONE) {
            event.ignore();
            return;
        }
        event.setDropAction(ActionOf(effect));
        event.accept();
    }

    com::ComPtr<IDropTarget> target_;
    com::ComPtr<IDataObject> data_; // between enter and drop or leave
    DWORD effect_ = DROPEFFECT_NONE; // the target's last answer
};

DropTargetFilter* FilterOf(QWidget* window)
{
    return window->findChild<DropTargetFilter*>(QString(), Qt::FindDirectChildrenOnly);
}

class DropTargetSwitch : public com::ComImplements<com::ComObject, IDropTarget> {
public:
    explicit DropTargetSwitch(std::function<DropPlace(POINTL)> locate) : locate_(std::move(locate)) { }

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override
    {
        if (effect == nullptr)
            return E_INVALIDARG;
        data_ = com::ComPtr<IDataObject>::AddRefed(data);
        EnterPlace(locate_(point), keyState, point, *effect);
        *effect = effect_;
        return S_OK;
    }

    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override
    {
        if (effect == nullptr)
            return E_INVALIDARG;
        DropPlace place = locate_(point);
        if (place.key != key_) {
            LeavePlace();
            EnterPlace(std::move(place), keyState, point, *effect);
        } else if (current_) {
            DWORD answer = *effect;
            if (SUCCEEDED(current_->DragOver(keyState, point, &answer)))
                effect_ = answer;
        }
        *effect = effect_;
        return S_OK;
    }

    HRESULT DragLeave() override
    {
        LeavePlace();
        data_.Reset();
        return S_OK;
    }

    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override
    {
        if (effect == nullptr)
            return E_INVALIDARG;
        if (data != nullptr)
            data_ = com::ComPtr<IDataObject>::AddRefed(data);
        DropPlace place = locate_(point);
        if (place.key != key_ || !current_) {
            LeavePlace();
            EnterPlace(std::move(place), keyState, point, *effect);
        }
        if (current_ && effect_ != DROPEFFECT_NONE) {
            DWORD answer = effect_;
            current_->Drop(data_.Get(), keyState, point, &answer);
            *effect = answer;
            current_.Reset();
        } else {
            LeavePlace();
            *effect = DROPEFFECT_NONE;
        }
        key_.clear();
        effect_ = DROPEFFECT_NONE;
        data_.Reset();
        return S_OK;
    }

private:
    ~DropTargetSwitch() override = default;

    void EnterPlace(DropPlace place, DWORD keyState, POINTL point, DWORD allowed)
    {
        key_ = std::move(place.key);
        current_ = place.target ? place.target() : com::ComPtr<IDropTarget>();
        effect_ = DROPEFFECT_NONE;
        if (!current_)
            return;
        DWORD answer = allowed;
        current_->DragEnter(data_.Get(), keyState, point, &answer);
        effect_ = answer & allowed;
    }

    void LeavePlace()
    {
        if (current_)
            current_->DragLeave();
        current_.Reset();
        key_.clear();
        effect_ = DROPEFFECT_NONE;
    }

    std::function<DropPlace(POINTL)> locate_;
    com::ComPtr<IDataObject> data_;
    QByteArray key_;
    com::ComPtr<IDropTarget> current_;
    DWORD effect_ = DROPEFFECT_NONE;
};

} // namespace

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect)
{
    if (effect != nullptr)
        *effect = DROPEFFECT_NONE;
    if (data == nullptr || source == nullptr || effect == nullptr)
        return E_INVALIDARG;
    const Qt::DropActions actions = ActionsOf(allowed);
    if (actions == Qt::IgnoreAction)
        return DRAGDROP_S_CANCEL;
    // Qt lets the drag go (deleteLater, or once the window system's
    // transfer ends), so that a target of another program may still fetch
    // the data after the drop. Qt refuses a drag without a source; the
    // application is the source, since a window that goes during the drag
    // must not take the drag with it.
    auto* drag = new QDrag(QCoreApplication::instance());
    drag->setMimeData(new DataObjectMimeData(com::ComPtr<IDataObject>::AddRefed(data)));
    QObject::connect(
        drag, &QDrag::actionChanged, [feedback = com::ComPtr<IDropSource>::AddRefed(source)](Qt::DropAction action) {
            feedback->GiveFeedback(EffectsOf(action));
        });
    if (g_dragStartObserver)
        g_dragStartObserver(*drag, actions);
    const Qt::DropAction taken = drag->exec(actions);
    *effect = EffectsOf(taken) & allowed;
    return *effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
}

bool IsServingDrag()
{
    return g_serving > 0;
}

HRESULT RegisterDragDrop(HWND window, IDropTarget* target)
{
    if (window == nullptr || target == nullptr)
        return E_INVALIDARG;
    if (FilterOf(window) != nullptr)
        return DRAGDROP_E_ALREADYREGISTERED;
    new DropTargetFilter(window, com::ComPtr<IDropTarget>::AddRefed(target)); // owned by the window
    window->setAcceptDrops(true);
    return S_OK;
}

HRESULT RevokeDragDrop(HWND window)
{
    if (window == nullptr)
        return E_INVALIDARG;
    DropTargetFilter* filter = FilterOf(window);
    if (filter == nullptr)
        return DRAGDROP_E_NOTREGISTERED;
    delete filter;
    window->setAcceptDrops(false);
    return S_OK;
}

com::ComPtr<IDataObject> CreateMimeDataObject(const QMimeData* mime)
{
    return com::ComPtr<IDataObject>::Adopt(new (std::nothrow) MimeDataObject(mime));
}

DWORD KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    DWORD state = 0;
    if (buttons.testFlag(Qt::LeftButton))
        state |= MK_LBUTTON;
    if (buttons.testFlag(Qt::RightButton))
        state |= MK_RBUTTON;
    if (buttons.testFlag(Qt::MiddleButton))
        state |= MK_MBUTTON;
    if (modifiers.testFlag(Qt::ShiftModifier))
        state |= MK_SHIFT;
    if (modifiers.testFlag(Qt::ControlModifier))
        state |= MK_CONTROL;
    if (modifiers.testFlag(Qt::AltModifier))
        state |= MK_ALT;
    return state;
}

com::ComPtr<IDropTarget> CreateDropTargetSwitch(std::function<DropPlace(POINTL)> locate)
{
    return com::ComPtr<IDropTarget>::Adopt(new (std::nothrow) DropTargetSwitch(std::move(locate)));
}

void SetDragStartObserver(std::function<void(QDrag&, Qt::DropActions)> observer)
{
    g_dragStartObserver = std::move(observer);
}

} // namespace platform::ui
