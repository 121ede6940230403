#pragma once
// The classes of the test server (TestServer.so), the registry values through
// which a test steers it, and its log: the server appends what it was asked
// to a string list kept as a property of the application, which both sides
// share without either linking the other.

#include "platform/com/Guid.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVariant>

namespace host::explorer::test {

constexpr CLSID kJunctionClass = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xA0, 0x01);
constexpr CLSID kDriveMenuClass = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xA0, 0x02);
constexpr CLSID kFindClass = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xA0, 0x03);
// A class whose class object refuses to make an instance.
constexpr CLSID kRefusingClass = MakeGuid(0x6A1E0C10, 0x5B2D, 0x4F3A, 0x8C, 0x11, 0x0D, 0x7E, 0x9F, 0x20, 0xA0, 0x04);

// Under HKCR CLSID\{junction}\TestServer (REG_DWORD):
inline constexpr const char* kChildrenValue = "Children"; // the junction's children, 3 when missing
inline constexpr const char* kViewFaultValue = "ViewFault"; // a ViewFault, 0 when missing
enum ViewFault : unsigned {
    kViewWorks = 0,
    kViewWindowFails = 1, // CreateViewWindow answers E_FAIL
    kViewWindowNull = 2, // CreateViewWindow answers S_OK and no window
    kViewWindowDestroysItself = 3, // the window deletes itself after it was made
};

inline constexpr const char* kLogProperty = "testServerLog";

inline QStringList ServerLog()
{
    return qApp->property(kLogProperty).toStringList();
}

inline void ClearServerLog()
{
    qApp->setProperty(kLogProperty, QStringList());
}

} // namespace host::explorer::test
