#pragma once
// The loopback port of the archive server and the base address built from it.

#include <string>

// The port the archive server listens on; 6122 until start-up chooses one.
int LoopbackPort();
// "http://127.0.0.1:%d/" with the current port.
std::string LoopbackBase();
// Stores the port and formats the base address. Safe from any thread.
void SetLoopbackPort(int port);
