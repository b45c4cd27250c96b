#include "archive/rarbackend.h"

#include "archive/rarbackendarchive.h"

std::unique_ptr<IRarArchive> CRarBackend::OpenArchive(const std::string& path, int mode, RarCallback callback,
                                                      void* context, int* result)
{
    auto archive = std::make_unique<CRarBackendArchive>(path, mode, callback, context);
    int r = archive->Open();
    if (result)
        *result = r;
    if (r != kRarSuccess)
        return nullptr;
    return archive;
}
