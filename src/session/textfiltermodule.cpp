#include "session/textfiltermodule.h"

#include <dlfcn.h>

#include <cstdint>
#include <mutex>
#include <strings.h>

#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "platform/comclassobject.h"
#include "platform/comptr.h"
#include "platform/registrystore.h"
#include "platform/urlmonsession.h"
#include "txtfilter/filterids.h"

using namespace platform;

namespace {

using HookFn = int32_t (*)(int32_t);
using InitFn = int32_t (*)();

// What the program holds of the library during the run.
struct ModuleState {
    std::mutex lock;
    void* module = nullptr;  // kept by LoadTextFilterModule
    ComPtr<IClassFactory> factory;
    ComPtr<IInternetSession> session;
    bool registered = false;
};

ModuleState& State() {
    static ModuleState* s_state = new ModuleState;  // outlives every static user at exit
    return *s_state;
}

// Loads the library for one call of an export and unloads it again.
void CallInShortLoad(const char* exportName) {
    void* lib = dlopen(TextFilterModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) return;
    if (auto fn = reinterpret_cast<HRESULT (*)()>(dlsym(lib, exportName))) fn();
    dlclose(lib);
}

const char kTextPagoraKey[] = "HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\text/pagora";
const char kTxtKey[] = "HKEY_CLASSES_ROOT\\.txt";

}  // namespace

std::string TextFilterModulePath() { return TheSideFiles().txtLib; }

bool LoadTextFilterModule() {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.lock);
    if (s.module) return true;
    s.module = dlopen(TextFilterModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!s.module) return false;
    if (auto init = reinterpret_cast<InitFn>(dlsym(s.module, "IntiHookText"))) init();
    return true;
}

void FreeTextFilterModule() {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.lock);
    if (!s.module) return;
    if (auto uninit = reinterpret_cast<InitFn>(dlsym(s.module, "UnIntiHookText"))) uninit();
    dlclose(s.module);
    s.module = nullptr;
}

bool TextFilterModuleLoaded() {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.lock);
    return s.module != nullptr;
}

void RegisterTextFilter() {
    CallInShortLoad("DllRegisterServer");

    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.lock);
    ComPtr<IClassFactory> factory;
    if (Succeeded(CoGetClassObject(txtfilter::CLSID_XMLMimeFilterPP, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                   nullptr, IID_IClassFactory, factory.PutVoid())) &&
        factory)
        s.factory = std::move(factory);
    ComPtr<IInternetSession> session;
    if (Succeeded(CoInternetGetSession(0, session.Put(), 0)) && session) s.session = std::move(session);

    if (!s.factory || !s.session || MainParaBlock().GetValue(PARA_INTERNET_TXT_FILE) == 0) return;
    if (s.registered) return;  // one registration per factory; a second would need a second removal
    s.session->RegisterMimeFilter(s.factory.Get(), txtfilter::CLSID_XMLMimeFilterPP, txtfilter::kTextPlain);
    s.registered = true;
}

void UnregisterTextFilter(bool unregisterServer) {
    {
        ModuleState& s = State();
        std::lock_guard<std::mutex> lock(s.lock);
        if (s.session) {
            if (s.factory) s.session->UnregisterMimeFilter(s.factory.Get(), txtfilter::kTextPlain);
            s.session.Reset();
        }
        s.factory.Reset();
        s.registered = false;
    }
    if (unregisterServer) CallInShortLoad("DllUnregisterServer");
}

void RemoveTextFilter(bool unregisterServer) {
    UnregisterTextFilter(unregisterServer);
    RegistryStore& store = RegistryStore::Instance();
    if (store.GetString(kTxtKey, "Content Type") == std::optional<std::string>("text/pagora"))
        store.SetString(kTxtKey, "Content Type", "text/plain");
    // Like deleting a registry key without subkeys: a key that has some stays.
    if (store.KeyExists(kTextPagoraKey) && store.SubKeys(kTextPagoraKey).empty()) store.DeleteKey(kTextPagoraKey);
}

bool TextFilterRegistered() {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.lock);
    return s.registered;
}

void SetTextConversion(bool on) {
    ModuleState& s = State();
    std::lock_guard<std::mutex> lock(s.lock);
    if (!s.module) return;
    if (auto hook = reinterpret_cast<HookFn>(dlsym(s.module, "HookText"))) hook(on ? 1 : 0);
}

bool IsTextAddress(const std::string& address) {
    return address.size() >= 4 && strcasecmp(address.c_str() + address.size() - 4, ".txt") == 0;
}
