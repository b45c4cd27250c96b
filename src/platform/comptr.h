#pragma once
// A counted reference to a COM-style interface: AddRef on copy, Release on drop.

#include <utility>

#include "platform/comtypes.h"

namespace platform {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to `p`.
    explicit ComPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    ComPtr(const ComPtr& o) : m_p(o.m_p) { if (m_p) m_p->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& o) { ComPtr(o).Swap(*this); return *this; }
    ComPtr& operator=(ComPtr&& o) noexcept { ComPtr(std::move(o)).Swap(*this); return *this; }

    // Adopts a reference the caller already owns (an out-parameter result).
    static ComPtr Adopt(T* p) { ComPtr c; c.m_p = p; return c; }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void Reset() { if (T* p = std::exchange(m_p, nullptr)) p->Release(); }
    // The slot for an out-parameter; drops the current reference first.
    T** Put() { Reset(); return &m_p; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Swap(ComPtr& o) noexcept { std::swap(m_p, o.m_p); }

private:
    T* m_p = nullptr;
};

}  // namespace platform
