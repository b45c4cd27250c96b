#include "server/threadstackpool.h"

#include <sys/mman.h>
#include <unistd.h>

namespace server {

CThreadStackPool::CThreadStackPool(size_t stackSize, size_t keepMax)
    : m_stackSize(stackSize)
    , m_keepMax(keepMax)
{
    const long page = sysconf(_SC_PAGESIZE);
    m_guardSize = page > 0 ? static_cast<size_t>(page) : 4096;
}

CThreadStackPool::~CThreadStackPool()
{
    Trim();
}

void* CThreadStackPool::Take()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_idle.empty()) {
            void* stack = m_idle.back();
            m_idle.pop_back();
            return stack;
        }
    }
    void* block = mmap(nullptr, m_guardSize + m_stackSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    // A thread that overruns its stack must fault, not write into a neighbour.
    if (mprotect(block, m_guardSize, PROT_NONE) != 0) {
        munmap(block, m_guardSize + m_stackSize);
        return nullptr;
    }
    return static_cast<char*>(block) + m_guardSize;
}

void CThreadStackPool::Give(void* stack)
{
    if (!stack)
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_idle.size() < m_keepMax) {
            m_idle.push_back(stack);
            return;
        }
    }
    Unmap(stack);
}

void CThreadStackPool::Trim()
{
    std::vector<void*> idle;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        idle.swap(m_idle);
    }
    for (void* stack : idle)
        Unmap(stack);
}

size_t CThreadStackPool::IdleCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_idle.size();
}

void CThreadStackPool::Unmap(void* stack) const
{
    munmap(static_cast<char*>(stack) - m_guardSize, m_guardSize + m_stackSize);
}

} // namespace server
