#pragma once
// The one base of every COM object: an atomic reference count that starts at
// one (the creator's reference), and QueryInterface answered from a table of
// interfaces that each class extends with ComImplements<Base, Interfaces...>.
//
//   class CCatItem : public ComImplements<ComObject, IExtractIconA, IContextMenu> { … };
//   class CCatFolder : public ComImplements<CCatItem, IShellFolder> { … };
//
// A CCatFolder answers IShellFolder, then everything CCatItem answers; IUnknown
// is the first interface of the root class, so identity holds.

#include "platform/com/Unknown.h"

#include <atomic>
#include <type_traits>

namespace platform::com {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG ReferenceCount() const { return refs_.load(std::memory_order_acquire); }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    // The interface table: the interface for `iid`, or null. Extended by
    // ComImplements; a class may override it for an interface that stands for
    // another (IPersist answered by IPersistFolder).
    virtual IUnknown* FindInterface(REFIID iid);

    HRESULT QueryInterfaceImpl(REFIID iid, void** out);
    ULONG AddRefImpl();
    ULONG ReleaseImpl();

private:
    std::atomic<ULONG> refs_{1};
};

template <class Base, class... Interfaces>
class ComImplements : public Base, public Interfaces... {
public:
    using Base::Base;

    HRESULT QueryInterface(REFIID iid, void** out) override { return this->QueryInterfaceImpl(iid, out); }
    ULONG AddRef() override { return this->AddRefImpl(); }
    ULONG Release() override { return this->ReleaseImpl(); }

protected:
    IUnknown* FindInterface(REFIID iid) override
    {
        IUnknown* found = nullptr;
        ((found == nullptr && iid == Interfaces::kIid ? (found = static_cast<Interfaces*>(this)) : found), ...);
        if (found != nullptr)
            return found;
        if constexpr (std::is_same_v<Base, ComObject>) {
            if (iid == IID_IUnknown)
                return static_cast<FirstInterface*>(this);
            return nullptr;
        } else {
            return Base::FindInterface(iid);
        }
    }

private:
    template <class First, class...>
    struct FirstOf {
        using Type = First;
    };
    using FirstInterface = typename FirstOf<Interfaces...>::Type;
};

// The object's identity, the pointer that QueryInterface(IID_IUnknown) gives.
template <class T>
IUnknown* IdentityOf(T* object)
{
    void* out = nullptr;
    if (object == nullptr || FAILED(object->QueryInterface(IID_IUnknown, &out)))
        return nullptr;
    auto* unknown = static_cast<IUnknown*>(out);
    unknown->Release();
    return unknown;
}

} // namespace platform::com
