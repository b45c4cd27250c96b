#include "platform/comclassobject.h"

#include <dlfcn.h>

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/registrystore.h"

namespace platform {

std::string GuidToString(const GUID& g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseHex(const std::string& s, size_t pos, size_t digits, uint64_t* out) {
    uint64_t v = 0;
    for (size_t i = 0; i < digits; ++i) {
        int h = HexValue(s[pos + i]);
        if (h < 0) return false;
        v = v * 16 + static_cast<uint64_t>(h);
    }
    *out = v;
    return true;
}

// Libraries loaded by CoGetClassObject, by path; kept until they agree to unload.
struct LoadedLibraries {
    std::mutex mutex;
    std::map<std::string, void*> handles;
};

LoadedLibraries& Loaded() {
    static LoadedLibraries* s_loaded = new LoadedLibraries;  // never destroyed: used at exit
    return *s_loaded;
}

}  // namespace

std::optional<GUID> GuidFromString(const std::string& s) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (s.size() != 38 || s[0] != '{' || s[37] != '}' || s[9] != '-' || s[14] != '-' || s[19] != '-' ||
        s[24] != '-')
        return std::nullopt;
    GUID g{};
    uint64_t v;
    if (!ParseHex(s, 1, 8, &v)) return std::nullopt;
    g.Data1 = static_cast<uint32_t>(v);
    if (!ParseHex(s, 10, 4, &v)) return std::nullopt;
    g.Data2 = static_cast<uint16_t>(v);
    if (!ParseHex(s, 15, 4, &v)) return std::nullopt;
    g.Data3 = static_cast<uint16_t>(v);
    const size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ParseHex(s, bytePos[i], 2, &v)) return std::nullopt;
        g.Data4[i] = static_cast<uint8_t>(v);
    }
    return g;
}

HRESULT CoGetClassObjectFrom(RegistryStore& store, REFCLSID clsid, DWORD context, void* serverInfo, REFIID iid,
                             void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER) || serverInfo) return E_INVALIDARG;

    const std::string key = "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(clsid) + "\\InprocServer32";
    std::optional<std::string> path = store.GetString(key, "");
    if (!path || path->empty()) return REGDB_E_CLASSNOTREG;

    LoadedLibraries& loaded = Loaded();
    void* handle = nullptr;
    {
        std::lock_guard<std::mutex> lock(loaded.mutex);
        auto it = loaded.handles.find(*path);
        if (it != loaded.handles.end()) {
            handle = it->second;
        } else {
            handle = dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) return HRESULT_MOD_NOT_FOUND;
            loaded.handles.emplace(*path, handle);
        }
    }
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) return CO_E_ERRORINDLL;
    return getClassObject(clsid, iid, out);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID iid, void** out) {
    return CoGetClassObjectFrom(RegistryStore::Instance(), clsid, context, serverInfo, iid, out);
}

void CoFreeUnusedLibraries() {
    LoadedLibraries& loaded = Loaded();
    std::lock_guard<std::mutex> lock(loaded.mutex);
    for (auto it = loaded.handles.begin(); it != loaded.handles.end();) {
        auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(it->second, "DllCanUnloadNow"));
        if (canUnload && canUnload() == S_OK) {
            dlclose(it->second);
            it = loaded.handles.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace platform
