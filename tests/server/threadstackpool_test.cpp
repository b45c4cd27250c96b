// The stack pool hands out writable stacks, reuses returned ones and keeps
// no more idle stacks than allowed.

#include "server/threadstackpool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using server::CThreadStackPool;

TEST(ThreadStackPool, ReusesReturnedStacksUpToItsLimit)
{
    CThreadStackPool pool(64 * 1024, 2);
    void* a = pool.Take();
    void* b = pool.Take();
    void* c = pool.Take();
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(std::set<void*>({a, b, c}).size(), 3u);
    std::memset(a, 0x5a, pool.StackSize()); // the whole stack is usable

    pool.Give(a);
    pool.Give(b);
    pool.Give(c); // beyond the limit: unmapped, not kept
    EXPECT_EQ(pool.IdleCount(), 2u);
    const std::set<void*> again{pool.Take(), pool.Take()};
    EXPECT_EQ(again, (std::set<void*>{a, b}));

    pool.Give(a);
    pool.Trim();
    EXPECT_EQ(pool.IdleCount(), 0u);
    pool.Give(nullptr);
    EXPECT_EQ(pool.IdleCount(), 0u);
    pool.Give(b);
}
