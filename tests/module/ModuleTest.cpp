// The module lock count, the shell allocator's live count and the settings
// location: the module-wide facts other parts rely on.

#include "platform/system/Module.h"
#include "module/ModuleLock.h"
#include "module/Resources.h"
#include "module/Settings.h"
#include "platform/com/Memory.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <thread>
#include <vector>

using namespace pellidor;

TEST(ProductResources, StringsAndMenusAreTheProductsOwn)
{
    ASSERT_TRUE(HasString(1));
    EXPECT_EQ(LoadString(1), "Displays items by using large icons.");
    EXPECT_EQ(LoadString(2001), "Name");
    EXPECT_FALSE(HasString(0));
    const platform::ui::MenuPtr file = LoadMenu(1015);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetItemCount(), 5);
    EXPECT_EQ(LoadMenu(4242), nullptr);
}

TEST(ModuleLock, CountsObjectsUpAndDown)
{
    const long base = ModuleLockCount();
    {
        ModuleLock first;
        auto second = std::make_unique<ModuleLock>();
        EXPECT_EQ(ModuleLockCount(), base + 2);
        ModuleLock copy(first); // a copied object is one more object
        EXPECT_EQ(ModuleLockCount(), base + 3);
        copy = *second; // assignment moves no lock
        EXPECT_EQ(ModuleLockCount(), base + 3);
        second.reset();
        EXPECT_EQ(ModuleLockCount(), base + 2);
    }
    EXPECT_EQ(ModuleLockCount(), base);
}

TEST(ModuleLock, ThreadsCreatingAndReleasingObjectsLeaveTheCountAsItWas)
{
    const long base = ModuleLockCount();
    constexpr int kThreads = 8;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([] {
            std::vector<std::optional<ModuleLock>> held(16);
            for (int i = 0; i < kRounds; ++i) {
                auto& slot = held[static_cast<std::size_t>(i) % held.size()];
                if (slot)
                    slot.reset();
                else
                    slot.emplace();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(ModuleLockCount(), base);
}

TEST(ShellAllocator, LiveCountReturnsToZeroAfterEveryBlockIsFreed)
{
    const long base = platform::com::TaskMemLiveBlocks();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            std::vector<platform::com::TaskMemPtr<void>> blocks;
            for (int i = 0; i < 1000; ++i)
                blocks.emplace_back(platform::com::TaskMemAlloc(static_cast<std::size_t>(i)));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), base);
    void* block = platform::com::TaskMemAlloc(20);
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), base + 1);
    platform::com::TaskMemFree(block);
    platform::com::TaskMemFree(nullptr);
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), base);
}

TEST(Settings, LiveUnderTheModulesKeyEvenInAProgram)
{
    EXPECT_EQ(ModuleName(), "Pellidor");
    EXPECT_EQ(SettingsKey(kCatViewSection), "Software\\Pellidor\\CatView");
    EXPECT_EQ(SettingsKey(kShelfViewSection), "Software\\Pellidor\\ShelfView");
    EXPECT_EQ(SettingsKey(kSearchDialogSection), "Software\\Pellidor\\SearchDlg");

    platform::registry::Key key;
    ASSERT_EQ(key.Create(platform::registry::Hive::CurrentUser, SettingsKey(kCatViewSection)), 0);
    ASSERT_EQ(key.SetDword("C00", 100), 0);
    platform::registry::Key check;
    EXPECT_EQ(check.Open(platform::registry::Hive::CurrentUser, "Software\\Pellidor\\CatView"), 0);
}

TEST(Settings, InsideALibraryTheLibrarysNameIsTheModuleName)
{
    platform::system::Library probe(pellidor::test::BinDirectory() + "/SettingsProbe.so");
    ASSERT_TRUE(probe.IsLoaded()) << probe.Error();
    auto* key = reinterpret_cast<const char* (*)()>(probe.Symbol("ProbeCatViewSettingsKey"));
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key(), "Software\\SettingsProbe\\CatView");
}
