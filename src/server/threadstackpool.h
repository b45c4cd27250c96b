#pragma once
// CThreadStackPool: keeps the stacks of finished connection threads for the
// next ones, so that starting a thread does not fault in fresh stack pages.

#include <cstddef>
#include <mutex>
#include <vector>

namespace server {

class CThreadStackPool {
public:
    // Stacks of `stackSize` bytes (plus a guard page below each); at most
    // `keepMax` idle stacks are kept.
    CThreadStackPool(size_t stackSize, size_t keepMax);
    ~CThreadStackPool();

    CThreadStackPool(const CThreadStackPool&) = delete;
    CThreadStackPool& operator=(const CThreadStackPool&) = delete;

    // The lowest usable address of a stack of StackSize() bytes; nullptr
    // when no memory could be mapped.
    void* Take();
    // Returns a stack from Take() whose thread has been joined.
    void Give(void* stack);
    // Unmaps every idle stack.
    void Trim();
    size_t StackSize() const { return m_stackSize; }
    size_t IdleCount() const;

private:
    void Unmap(void* stack) const;

    const size_t m_stackSize;
    const size_t m_keepMax;
    size_t m_guardSize;
    mutable std::mutex m_lock;
    std::vector<void*> m_idle;
};

} // namespace server
