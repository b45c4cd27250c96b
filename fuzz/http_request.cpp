// Feeds arbitrary request texts to the page server's request handling and to
// the decoding of request paths into entry names, without sockets.

#include "archive/requestpath.h"
#include "server/pageserver.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static server::CPageServer s_server([](const std::string& requestPath, size_t* outSize) -> char* {
        // Stand in for the archive: decode as the holder does and answer
        // with the entry name, so both halves of the road are exercised.
        const std::string entry = DecodeRequestPath(requestPath);
        if (entry.empty())
            return nullptr;
        char* buf = static_cast<char*>(std::malloc(entry.size()));
        std::memcpy(buf, entry.data(), entry.size());
        *outSize = entry.size();
        return buf;
    });

    const std::string text(reinterpret_cast<const char*>(data), size);
    s_server.IsRequestComplete(text);
    std::string response;
    bool keepAlive = true;
    if (s_server.ParseRequest(text, response, keepAlive)) {
        if (response.rfind("HTTP/1.0 ", 0) != 0 || keepAlive)
            std::abort();
        // The head announces exactly the body that follows it.
        const size_t end = response.find("\r\n\r\n");
        const size_t length = response.find("Content-Length: ");
        if (end == std::string::npos || length == std::string::npos || length > end ||
            std::strtoull(response.c_str() + length + 16, nullptr, 10) != response.size() - end - 4)
            std::abort();
    }
    DecodeRequestPath(text);
    return 0;
}
