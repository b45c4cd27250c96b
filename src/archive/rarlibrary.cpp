#include "archive/rarlibrary.h"

#include <mutex>

#include "archive/rarbackend.h"

namespace {
std::mutex s_lock;
std::shared_ptr<IRarLibrary> s_library;
}  // namespace

std::shared_ptr<IRarLibrary> TheRarLibrary()
{
    std::lock_guard<std::mutex> guard(s_lock);
    if (!s_library)
        s_library = std::make_shared<CRarBackend>();
    return s_library;
}

void SetRarLibrary(std::shared_ptr<IRarLibrary> library)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_library = std::move(library);
}
