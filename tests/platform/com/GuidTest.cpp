#include "platform/com/Guid.h"
#include "platform/com/ShellInterfaces.h"

#include <gtest/gtest.h>

using platform::com::FormatGuid;
using platform::com::GuidBytes;
using platform::com::ParseGuid;

TEST(Guid, FormatsAndParsesTheBracedForm)
{
    const std::string text = "{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}";
    const auto guid = ParseGuid(text);
    ASSERT_TRUE(guid.has_value());
    EXPECT_EQ(guid->Data1, 0x4C7D2A90u);
    EXPECT_EQ(guid->Data2, 0x83B1u);
    EXPECT_EQ(guid->Data3, 0x4E6Fu);
    EXPECT_EQ(guid->Data4[0], 0x9D);
    EXPECT_EQ(guid->Data4[7], 0x14);
    EXPECT_EQ(FormatGuid(*guid), text);
    EXPECT_EQ(ParseGuid("{4c7d2a90-83b1-4e6f-9d25-7a0c3e5b8f14}"), guid);
}

TEST(Guid, RefusesMalformedTexts)
{
    for (const char* bad : {"", "{}", "4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14", "{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F1}",
             "{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F1G}", "{4C7D2A90+83B1-4E6F-9D25-7A0C3E5B8F14}",
             "{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}x"})
        EXPECT_FALSE(ParseGuid(bad).has_value()) << bad;
}

TEST(Guid, StoresTheFirstThreeFieldsLittleEndian)
{
    const auto bytes = GuidBytes(*ParseGuid("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
    const std::array<BYTE, 16> expected
        = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    EXPECT_EQ(bytes, expected);
}

TEST(Guid, InterfaceIdentifiersKeepTheirWindowsValues)
{
    EXPECT_EQ(FormatGuid(IShellFolder::kIid), "{000214E6-0000-0000-C000-000000000046}");
    EXPECT_EQ(FormatGuid(IDataObject::kIid), "{0000010E-0000-0000-C000-000000000046}");
    EXPECT_EQ(FormatGuid(IQueryInfo::kIid), "{00021500-0000-0000-C000-000000000046}");
    EXPECT_EQ(FormatGuid(IUnknown::kIid), "{00000000-0000-0000-C000-000000000046}");
}
