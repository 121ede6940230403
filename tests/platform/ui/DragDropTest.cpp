// The platform's drag and drop: the drag's data asked of the data object
// only when a target asks, the drops of a registered window handed to its
// target with the key state, point and effects mapped, and the switch that
// picks a place's target.

#include "platform/ui/DragDrop.h"
#include "platform/com/ComObject.h"
#include "platform/com/GiveOnlyDataObject.h"
#include "platform/shell/DropFiles.h"
#include "platform/ui/Messages.h"
#include "tests/support/DragHand.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace platform::ui {
namespace {

using com::ComPtr;

CLIPFORMAT IdListFormat()
{
    return static_cast<CLIPFORMAT>(RegisterClipboardFormat(kShellIdListFormatName));
}

// A data object with an identifier-list block and, when it has paths, a
// file block; it records what it was asked.
class FakeData : public com::GiveOnlyDataObject {
public:
    FakeData(QByteArray block, std::vector<std::string> paths) : block_(std::move(block)), paths_(std::move(paths)) { }

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        asked.push_back(format->cfFormat);
        servingWhenAsked = servingWhenAsked && IsServingDrag();
        com::GlobalPtr block;
        if (format->cfFormat == IdListFormat()) {
            block.reset(com::GlobalAlloc(static_cast<std::size_t>(block_.size())));
            std::memcpy(com::GlobalData(block.get()), block_.constData(), static_cast<std::size_t>(block_.size()));
        } else if (format->cfFormat == CF_HDROP && !paths_.empty()) {
            block = shell::BuildDropFiles(paths_);
        } else {
            return DV_E_FORMATETC;
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block.release();
        return S_OK;
    }
    HRESULT QueryGetData(FORMATETC* format) override
    {
        return format->cfFormat == IdListFormat() || format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }

    std::vector<CLIPFORMAT> asked;
    bool servingWhenAsked = true;

private:
    QByteArray block_;
    std::vector<std::string> paths_;
};

class FakeSource : public com::ComImplements<com::ComObject, IDropSource> {
public:
    HRESULT QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
    HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// Records every call and answers with `effect` on enter (and on over
// unless it does not implement it).
class RecordingTarget : public com::ComImplements<com::ComObject, IDropTarget> {
public:
    explicit RecordingTarget(DWORD answer, bool answersOver = false) : answer_(answer), answersOver_(answersOver) { }

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override
    {
        calls.push_back("enter");
        keyStates.push_back(keyState);
        points.push_back(point);
        given.push_back(*effect);
        FORMATETC format;
        format.cfFormat = IdListFormat();
        STGMEDIUM medium;
        if (data != nullptr && SUCCEEDED(data->GetData(&format, &medium))) {
            received = QByteArray(reinterpret_cast<const char*>(com::GlobalData(medium.hGlobal)),
                static_cast<qsizetype>(com::GlobalSize(medium.hGlobal)));
            ReleaseStgMedium(&medium);
        }
        *effect = answer_;
        return S_OK;
    }
    HRESULT DragOver(DWORD, POINTL, DWORD* effect) override
    {
        calls.push_back("over");
        if (!answersOver_)
            return E_NOTIMPL;
        *effect = answer_;
        return S_OK;
    }
    HRESULT DragLeave() override
    {
        calls.push_back("leave");
        return S_OK;
    }
    HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD*) override
    {
        calls.push_back("drop");
        return S_OK;
    }

    std::vector<std::string> calls;
    std::vector<DWORD> keyStates;
    std::vector<POINTL> points;
    std::vector<DWORD> given;
    QByteArray received;

private:
    DWORD answer_;
    bool answersOver_;
};

class DragDropTest : public testing::Test {
protected:
    void TearDown() override
    {
        SetDragStartObserver(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Runs a drag of `data`; `during` sees the drag's data while it runs,
    // and the drag ends over a window that takes nothing.
    void Drag(IDataObject& data, const std::function<void(const QMimeData&)>& during)
    {
        QWidget nowhere;
        nowhere.resize(100, 100);
        nowhere.show();
        SetDragStartObserver([&during, &nowhere](QDrag& drag, Qt::DropActions) {
            during(*drag.mimeData());
            pellidor::test::ReleaseDragOver(&nowhere, QPoint(50, 50));
        });
        const auto source = com::MakeCom<FakeSource>();
        DWORD effect = 0xFF;
        EXPECT_EQ(DoDragDrop(&data, source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_CANCEL);
        EXPECT_EQ(effect, DROPEFFECT_NONE);
    }

    const QString idListType_ = QString::fromLatin1(kShellIdListMimeType);
};

TEST_F(DragDropTest, TheDragAsksItsDataOnlyWhenATargetAsksAndTheFilesOnce)
{
    const auto data = com::MakeCom<FakeData>(
        QByteArray("block\0bytes", 11), std::vector<std::string>{"/media/cd/a b.txt", "/media/cd/\xC3\xA9t\xC3\xA9"});
    Drag(*data, [&](const QMimeData& mime) {
        EXPECT_TRUE(data->asked.empty());
        EXPECT_EQ(mime.formats(), (QStringList{idListType_, QStringLiteral("text/uri-list")}));
        EXPECT_EQ(mime.data(idListType_), QByteArray("block\0bytes", 11));
        const QList<QUrl> urls = mime.urls();
        ASSERT_EQ(urls.size(), 2);
        EXPECT_EQ(urls[0].toLocalFile(), QStringLiteral("/media/cd/a b.txt"));
        EXPECT_EQ(urls[1].toLocalFile(), QString::fromUtf8("/media/cd/\xC3\xA9t\xC3\xA9"));
        mime.formats();
    });
    EXPECT_EQ(std::count(data->asked.begin(), data->asked.end(), CF_HDROP), 1);
    EXPECT_TRUE(data->servingWhenAsked);
    EXPECT_FALSE(IsServingDrag());
    // Held by the drag until Qt lets it go.
    EXPECT_GT(data->ReferenceCount(), 1u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(data->ReferenceCount(), 1u);
}

class DropWindowTest : public DragDropTest {
protected:
    void SetUp() override
    {
        window_.resize(200, 200);
        window_.move(50, 60);
        window_.show();
        mime_.setData(idListType_, QByteArray("\x01\x02\x03", 3));
    }

    QWidget window_;
    QMimeData mime_;
};

// The whole way, as the window system runs it: the drag's own loop, the
// pointer moving over a registered window and released there. The offscreen
// platform's drags end at once, so this runs under a window system only
// (CTest runs it under Xvfb).
TEST_F(DropWindowTest, ADragReleasedOverARegisteredWindowDropsThereAndSaysWhatWasTaken)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a window system's drags";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    const auto target = com::MakeCom<RecordingTarget>(DROPEFFECT_COPY, true);
    ASSERT_EQ(RegisterDragDrop(&window_, target.Get()), S_OK);
    const auto data = com::MakeCom<FakeData>(QByteArray("id\0list", 7), std::vector<std::string>{});
    const auto source = com::MakeCom<FakeSource>();
    SetDragStartObserver([this, &target](QDrag&, Qt::DropActions) {
        pellidor::test::ReleaseDragOver(&window_, QPoint(30, 40), [&target] { return !target->calls.empty(); });
    });
    DWORD effect = DROPEFFECT_NONE;
    EXPECT_EQ(DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    ASSERT_FALSE(target->calls.empty());
    EXPECT_EQ(target->calls.front(), "enter");
    EXPECT_EQ(target->calls.back(), "drop");
    EXPECT_EQ(target->received, QByteArray("id\0list", 7));
}

TEST_F(DropWindowTest, RegisteringTwiceOrRevokingNothingIsRefusedAndTheWindowLetsItsTargetGo)
{
    const auto target = com::MakeCom<RecordingTarget>(DROPEFFECT_MOVE);
    {
        QWidget window;
        EXPECT_EQ(RevokeDragDrop(&window), DRAGDROP_E_NOTREGISTERED);
        EXPECT_EQ(RegisterDragDrop(&window, target.Get()), S_OK);
        EXPECT_TRUE(window.acceptDrops());
        EXPECT_EQ(RegisterDragDrop(&window, target.Get()), DRAGDROP_E_ALREADYREGISTERED);
        EXPECT_EQ(target->ReferenceCount(), 2u);
        EXPECT_EQ(RevokeDragDrop(&window), S_OK);
        EXPECT_EQ(target->ReferenceCount(), 1u);
        EXPECT_EQ(RegisterDragDrop(&window, target.Get()), S_OK);
    }
    EXPECT_EQ(target->ReferenceCount(), 1u);
}

TEST_F(DropWindowTest, ATakenDragGetsKeysScreenPointAllowedEffectsAndExactlyTheBytes)
{
    const auto target = com::MakeCom<RecordingTarget>(DROPEFFECT_MOVE);
    ASSERT_EQ(RegisterDragDrop(&window_, target.Get()), S_OK);
    const QPoint at(10, 20);
    QDragEnterEvent enter(
        at, Qt::CopyAction | Qt::MoveAction, &mime_, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&window_, &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &move);
    // The target answers no DragOver: its enter's answer holds.
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::MoveAction);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime_, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);

    EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "over", "drop"}));
    EXPECT_EQ(target->keyStates[0], MK_LBUTTON | MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(target->given[0], DROPEFFECT_COPY | DROPEFFECT_MOVE);
    const QPoint screen = window_.mapToGlobal(at);
    EXPECT_EQ(target->points[0].x, screen.x());
    EXPECT_EQ(target->points[0].y, screen.y());
    EXPECT_EQ(target->received, QByteArray("\x01\x02\x03", 3));
}

TEST_F(DropWindowTest, AnEffectTheSourceDoesNotAllowIsNotTaken)
{
    // The target wants a move; the source allows a copy only.
    const auto target = com::MakeCom<RecordingTarget>(DROPEFFECT_MOVE, true);
    ASSERT_EQ(RegisterDragDrop(&window_, target.Get()), S_OK);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime_, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &enter);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &mime_, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &move);
    EXPECT_FALSE(move.isAccepted());
    // Not dropped: left, as a drag that ends over a place that takes nothing.
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime_, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(target->calls, (std::vector<std::string>{"enter", "over", "leave"}));
}

TEST_F(DropWindowTest, TheSwitchLeavesThePlaceItQuitsAndDropsOnTheLastOne)
{
    const auto left = com::MakeCom<RecordingTarget>(DROPEFFECT_NONE);
    const auto right = com::MakeCom<RecordingTarget>(DROPEFFECT_MOVE);
    int made = 0;
    const auto target = CreateDropTargetSwitch([&](POINTL point) {
        DropPlace place;
        const bool onRight = point.x >= window_.mapToGlobal(QPoint(100, 0)).x();
        place.key = onRight ? "right" : "left";
        place.target = [&made, onRight, &left, &right] {
            ++made;
            return ComPtr<IDropTarget>::AddRefed(onRight ? right.Get() : left.Get());
        };
        return place;
    });
    ASSERT_EQ(RegisterDragDrop(&window_, target.Get()), S_OK);
    QDragEnterEvent enter(QPoint(10, 10), Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &enter);
    for (const int x : {20, 150, 160}) {
        QDragMoveEvent move(QPoint(x, 10), Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window_, &move);
        EXPECT_EQ(move.isAccepted(), x >= 100) << x;
    }
    QDropEvent drop(QPointF(160, 10), Qt::MoveAction, &mime_, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window_, &drop);
    EXPECT_TRUE(drop.isAccepted());

    EXPECT_EQ(left->calls, (std::vector<std::string>{"enter", "over", "leave"}));
    EXPECT_EQ(right->calls, (std::vector<std::string>{"enter", "over", "drop"}));
    EXPECT_EQ(made, 2);
    EXPECT_EQ(left->ReferenceCount(), 1u);
    EXPECT_EQ(right->ReferenceCount(), 1u);
}

} // namespace
} // namespace platform::ui
