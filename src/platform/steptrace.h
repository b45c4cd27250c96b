#pragma once
// A trace of where start-up spends its time: with tracing on (the reader's
// option --trace-startup, or PAGORA_TRACE=1), each Mark prints a line
//   TRACE: <ms since the process began> <ms since the previous mark> <step>
// to standard error. Off, a mark costs one relaxed atomic load.
namespace steptrace {

void Enable(bool on);
bool Enabled();
// Reads PAGORA_TRACE; called once before the first thread starts.
void EnableFromEnvironment();
void Mark(const char* step);
// Milliseconds since the process began (its start time as the kernel keeps it).
double SinceProcessStart();

}  // namespace steptrace
