#pragma once
// The process-wide allocator setting the loopback server's memory use relies
// on. A program that serves pages calls it at start-up, before it starts any
// thread.

namespace server {

// Makes every thread allocate from the one heap (see the .cpp for why).
void ConfigureAllocatorForServer();

} // namespace server
