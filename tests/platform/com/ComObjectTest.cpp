#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellInterfaces.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using platform::com::ComImplements;
using platform::com::ComObject;
using platform::com::ComPtr;
using platform::com::MakeCom;

namespace {

int g_alive = 0;

class Source : public ComImplements<ComObject, IDropSource, IQueryInfo> {
public:
    Source() { ++g_alive; }
    ~Source() override { --g_alive; }
    HRESULT QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
    HRESULT GiveFeedback(DWORD) override { return S_FALSE; }
    HRESULT GetInfoTip(DWORD, WCHAR**) override { return E_NOTIMPL; }
    HRESULT GetInfoFlags(DWORD*) override { return E_NOTIMPL; }
};

class Target : public ComImplements<Source, IDropTarget> {
public:
    HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT DragOver(DWORD, POINTL, DWORD*) override { return E_NOTIMPL; }
    HRESULT DragLeave() override { return E_NOTIMPL; }
    HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
};

} // namespace

TEST(ComObject, DerivedClassAnswersItsOwnAndItsBasesInterfaces)
{
    {
        auto target = MakeCom<Target>();
        EXPECT_TRUE(target.As<IDropTarget>());
        EXPECT_TRUE(target.As<IDropSource>());
        EXPECT_TRUE(target.As<IQueryInfo>());
        EXPECT_FALSE(target.As<IShellFolder>());
        auto source = MakeCom<Source>();
        EXPECT_FALSE(source.As<IDropTarget>());
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(ComObject, EveryInterfaceGivesTheSameIdentity)
{
    auto target = MakeCom<Target>();
    IUnknown* viaTarget = platform::com::IdentityOf(target.As<IDropTarget>().Get());
    IUnknown* viaInfo = platform::com::IdentityOf(target.As<IQueryInfo>().Get());
    ASSERT_NE(viaTarget, nullptr);
    EXPECT_EQ(viaTarget, viaInfo);
}

TEST(ComObject, UnknownInterfaceIsRefusedWithNullOut)
{
    auto source = MakeCom<Source>();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(static_cast<IDropSource*>(source.Get())->QueryInterface(IShellView::kIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST(ComObject, ObjectDiesWithItsLastReferenceFromAnyThread)
{
    auto* raw = new Source; // one reference, handed to the threads below
    ASSERT_EQ(g_alive, 1);
    constexpr int kThreads = 4;
    constexpr int kRounds = 10000;
    for (int i = 0; i < kThreads * kRounds; ++i)
        static_cast<IDropSource*>(raw)->AddRef();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([raw] {
            for (int i = 0; i < kRounds; ++i)
                static_cast<IDropSource*>(raw)->Release();
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(raw->ReferenceCount(), 1u);
    EXPECT_EQ(g_alive, 1);
    static_cast<IDropSource*>(raw)->Release();
    EXPECT_EQ(g_alive, 0);
}

TEST(ComPtr, AdoptKeepsTheCountAndAddRefedAddsOne)
{
    auto* raw = new Source;
    {
        auto adopted = ComPtr<Source>::Adopt(raw);
        EXPECT_EQ(raw->ReferenceCount(), 1u);
        {
            auto second = ComPtr<Source>::AddRefed(raw);
            EXPECT_EQ(raw->ReferenceCount(), 2u);
        }
        EXPECT_EQ(raw->ReferenceCount(), 1u);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(TaskMemory, LiveBlockCountReturnsToItsStart)
{
    const long before = platform::com::TaskMemLiveBlocks();
    void* a = platform::com::TaskMemAlloc(10);
    void* b = platform::com::TaskMemAlloc(0);
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), before + 2);
    platform::com::TaskMemFree(a);
    platform::com::TaskMemFree(b);
    platform::com::TaskMemFree(nullptr);
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), before);
}

TEST(GlobalMemory, BlocksAreZeroedAndSized)
{
    platform::com::GlobalPtr block(platform::com::GlobalAlloc(12));
    ASSERT_TRUE(block);
    EXPECT_EQ(platform::com::GlobalSize(block.get()), 12u);
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(platform::com::GlobalData(block.get())[i], 0);
}
