// Feeds arbitrary request paths to the decoding that turns them into entry names.

#include <cstdint>
#include <string>

#include "archive/requestpath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string request(reinterpret_cast<const char*>(data), size);
    std::string name = DecodeRequestPath(request);
    // A name never holds a NUL byte and never grows beyond its request.
    if (name.find('\0') != std::string::npos || name.size() > request.size() + 1)
        __builtin_trap();
    return 0;
}
