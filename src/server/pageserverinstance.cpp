// The program's one page server, serving from the global archive holder.

#include "archive/archiveholder.h"
#include "server/pageserver.h"

namespace server {

CPageServer& ThePageServer()
{
    static CPageServer s_server([](const std::string& requestPath, size_t* outSize) {
        return TheArchiveHolder().ExtractByPath(requestPath, outSize);
    });
    return s_server;
}

} // namespace server
