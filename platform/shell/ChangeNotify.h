#pragma once
// The shell's change notification. A change is told to this process's
// observers at once, on the caller's thread, and to every process on the
// session bus as the signal org.pellidor.Platform.ChangeNotify(i event,
// ay item1, ay item2) on /org/pellidor/Platform.

#include "platform/com/Types.h"

#include <functional>
#include <vector>

namespace platform::shell {

// The items as bytes: an identifier list up to and including its 2-byte
// terminator; empty when the item is null or not an identifier list.
using ChangeObserver = std::function<void(LONG event, const std::vector<BYTE>& item1, const std::vector<BYTE>& item2)>;

// With SHCNF_IDLIST the items are identifier lists; other forms are told
// without their items.
void SHChangeNotify(LONG event, UINT flags, const void* item1, const void* item2);

// Observers may be added and removed from any thread, also from within an
// observer. The id is never 0.
int AddChangeObserver(ChangeObserver observer);
void RemoveChangeObserver(int id);

// Makes this process's observers hear the changes other processes tell over
// the session bus too (needs a running Qt application; they are told on its
// thread). Changes this process told reach its observers once, when told.
// False without a session bus.
bool ListenForChangeNotifications();

// An observer for as long as the object lives.
class ScopedChangeObserver {
public:
    explicit ScopedChangeObserver(ChangeObserver observer) : id_(AddChangeObserver(std::move(observer))) { }
    ~ScopedChangeObserver() { RemoveChangeObserver(id_); }
    ScopedChangeObserver(const ScopedChangeObserver&) = delete;
    ScopedChangeObserver& operator=(const ScopedChangeObserver&) = delete;

private:
    int id_;
};

// The bytes of the identifier list at `list`, terminator included; empty for
// null. A list longer than the shell would ever hand out (64 KiB) is cut
// off where it passes that size, ending with a terminator.
std::vector<BYTE> IdListBytes(const void* list);

} // namespace platform::shell
