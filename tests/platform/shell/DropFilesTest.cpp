// Dropped-file lists: the block's bytes, its bounded reader, DragQueryFile,
// and the data object that hands the block to a context-menu handler.

#include "platform/shell/DropFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace platform::shell;
using platform::com::GlobalData;
using platform::com::GlobalSize;

TEST(DropFiles, BlockHoldsTheHeaderThenEachPathAndAClosingNul)
{
    const platform::com::GlobalPtr block = BuildDropFiles({"/media/cd", "/x"});
    ASSERT_TRUE(block);
    const std::vector<BYTE> expected = {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '/', 'm', 'e', 'd',
        'i', 'a', '/', 'c', 'd', 0, '/', 'x', 0, 0};
    ASSERT_EQ(GlobalSize(block.get()), expected.size());
    EXPECT_EQ(std::memcmp(GlobalData(block.get()), expected.data(), expected.size()), 0);

    EXPECT_EQ(DragQueryFile(block.get(), 0xFFFFFFFF, nullptr, 0), 2u);
    char path[6];
    EXPECT_EQ(DragQueryFile(block.get(), 0, nullptr, 0), 9u);
    EXPECT_EQ(DragQueryFile(block.get(), 0, path, sizeof path), 5u);
    EXPECT_STREQ(path, "/medi");
    EXPECT_EQ(DragQueryFile(block.get(), 1, path, sizeof path), 2u);
    EXPECT_STREQ(path, "/x");
    EXPECT_EQ(DragQueryFile(block.get(), 2, path, sizeof path), 0u);
}

TEST(DropFiles, BrokenBlocksAreRefused)
{
    const std::vector<std::vector<BYTE>> broken = {
        {},
        {20, 0, 0, 0},
        // Offset past the block.
        {40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 0, 0},
        // Wide text.
        {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'a', 0, 0, 0, 0, 0},
        // A path that does not end inside the block.
        {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'},
        // A list without its closing NUL.
        {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 0},
    };
    for (const std::vector<BYTE>& bytes : broken) {
        std::vector<std::string> paths{"left over"};
        EXPECT_FALSE(ReadDropFiles(bytes.data(), bytes.size(), paths));
        EXPECT_TRUE(paths.empty());
    }
}

TEST(DropFiles, DataObjectGivesTheBlockForDroppedFilesOnly)
{
    const auto data = CreateDropFilesDataObject({"/media/cd"});
    ASSERT_TRUE(data);
    FORMATETC format;
    format.cfFormat = CF_HDROP;
    STGMEDIUM medium;
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    ASSERT_EQ(medium.tymed, TYMED_HGLOBAL);
    std::vector<std::string> paths;
    EXPECT_TRUE(ReadDropFiles(GlobalData(medium.hGlobal), GlobalSize(medium.hGlobal), paths));
    EXPECT_EQ(paths, std::vector<std::string>{"/media/cd"});
    const long live = platform::com::GlobalLiveBlocks();
    ReleaseStgMedium(&medium);
    EXPECT_EQ(platform::com::GlobalLiveBlocks(), live - 1);

    FORMATETC other = format;
    other.cfFormat = 1;
    EXPECT_EQ(data->GetData(&other, &medium), DV_E_FORMATETC);
    EXPECT_EQ(medium.hGlobal, nullptr);
    FORMATETC wrongIndex = format;
    wrongIndex.lindex = 0;
    EXPECT_EQ(data->QueryGetData(&wrongIndex), DV_E_FORMATETC);
}
