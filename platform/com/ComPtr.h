#pragma once
// Owner of one COM reference. Construction says whether the pointer's
// reference is adopted (Adopt, for what a creator or an out-parameter hands
// over) or a new one is added (AddRefed, for a borrowed pointer).

#include "platform/com/Unknown.h"

#include <utility>

namespace platform::com {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) { }
    ~ComPtr() { Reset(); }

    static ComPtr Adopt(T* p)
    {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    static ComPtr AddRefed(T* p)
    {
        if (p != nullptr)
            p->AddRef();
        return Adopt(p);
    }

    ComPtr(const ComPtr& other) : p_(other.p_)
    {
        if (p_ != nullptr)
            p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) { }
    template <class U>
    ComPtr(ComPtr<U>&& other) noexcept : p_(other.Detach())
    {
    }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }

    void Reset()
    {
        if (T* p = std::exchange(p_, nullptr))
            p->Release();
    }
    // Gives the reference away; the caller now owns it.
    [[nodiscard]] T* Detach() { return std::exchange(p_, nullptr); }
    // For out-parameters: releases what is held and exposes the slot.
    T** Receive()
    {
        Reset();
        return &p_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    // QueryInterface into another smart pointer; null when not offered.
    template <class U>
    ComPtr<U> As() const
    {
        ComPtr<U> out;
        if (p_ != nullptr)
            p_->QueryInterface(U::kIid, out.ReceiveVoid());
        return out;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// A new object holding its creator's one reference, owned by the result.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args)
{
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

} // namespace platform::com
