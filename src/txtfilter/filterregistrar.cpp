#include "txtfilter/filterregistrar.h"

#include <dlfcn.h>
#include <ctype.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>
#include <limits.h>
#include <stdlib.h>

#include "platform/registrystore.h"
#include "txtfilter/filterids.h"

using namespace platform;

namespace txtfilter {

namespace {

const std::string kRoot = "HKEY_CLASSES_ROOT\\";

std::string ClsidKey() { return kRoot + "CLSID\\" + kClsidText; }
std::string TypeLibKey() { return kRoot + "TypeLib\\" + kLibidText; }
std::string InterfaceKey() { return kRoot + "Interface\\" + kIidText; }

// Runs registry writes in order and remembers whether all of them succeeded.
class Writes {
public:
    explicit Writes(RegistryStore& store) : m_store(store) {}
    Writes& Key(const std::string& key) {
        if (m_ok) m_ok = m_store.CreateKey(key);
        return *this;
    }
    Writes& Text(const std::string& key, const std::string& name, const std::string& value) {
        if (m_ok) m_ok = m_store.SetString(key, name, value);
        return *this;
    }
    Writes& Replace(const std::string& key) {
        if (m_ok && m_store.KeyExists(key)) m_ok = m_store.DeleteKey(key);
        return *this;
    }
    bool Ok() const { return m_ok; }

private:
    RegistryStore& m_store;
    bool m_ok = true;
};

// Case-insensitive set equality of names read from the store.
bool SameNames(std::vector<std::string> names, std::vector<std::string> expected) {
    auto lower = [](std::vector<std::string>& v) {
        for (std::string& n : v)
            for (char& c : n) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        std::sort(v.begin(), v.end());
    };
    lower(names);
    lower(expected);
    return names == expected;
}

// True when the store holds the class exactly as Register leaves it: every
// value, and under the class key nothing else. The program registers at every
// start; rewriting an unchanged registration would cost a file replace per value.
bool RegisteredAs(RegistryStore& store, const std::string& libraryPath) {
    const std::string progId = kRoot + kProgId;
    const std::string viProgId = kRoot + kVersionIndependentProgId;
    const std::string clsid = ClsidKey();
    const std::string typeLib = TypeLibKey() + "\\1.0";
    const std::string iface = InterfaceKey();
    const std::tuple<std::string, std::string, std::string> values[] = {
        {progId, "", kClassDescription},
        {progId + "\\CLSID", "", kClsidText},
        {viProgId, "", kClassDescription},
        {viProgId + "\\CLSID", "", kClsidText},
        {viProgId + "\\CurVer", "", kProgId},
        {clsid, "", kClassDescription},
        {clsid + "\\ProgID", "", kProgId},
        {clsid + "\\VersionIndependentProgID", "", kVersionIndependentProgId},
        {clsid + "\\InprocServer32", "", libraryPath},
        {clsid + "\\InprocServer32", "ThreadingModel", kThreadingModel},
        {clsid + "\\TypeLib", "", kLibidText},
        {typeLib, "", kTypeLibHelpText},
        {typeLib + "\\0\\linux", "", libraryPath},
        {typeLib + "\\FLAGS", "", "0"},
        {iface, "", kInterfaceDescription},
        {iface + "\\TypeLib", "", kLibidText},
        {iface + "\\TypeLib", "Version", "1.0"},
    };
    for (const auto& [key, name, value] : values)
        if (store.GetString(key, name) != std::optional<std::string>(value)) return false;
    // The class key is rebuilt from scratch by Register: anything more under it
    // (a stale server entry, say) means it must run.
    if (!SameNames(store.SubKeys(clsid),
                   {"ProgID", "VersionIndependentProgID", "Programmable", "InprocServer32", "TypeLib"}) ||
        !SameNames(store.ValueNames(clsid), {""}))
        return false;
    for (const char* leaf : {"ProgID", "VersionIndependentProgID", "TypeLib"})
        if (!store.SubKeys(clsid + "\\" + leaf).empty() || !SameNames(store.ValueNames(clsid + "\\" + leaf), {""}))
            return false;
    const std::string server = clsid + "\\InprocServer32";
    if (!store.SubKeys(server).empty() || !SameNames(store.ValueNames(server), {"", "ThreadingModel"})) return false;
    const std::string programmable = clsid + "\\Programmable";
    return store.SubKeys(programmable).empty() && store.ValueNames(programmable).empty();
}

}  // namespace

HRESULT CFilterRegistrar::Register(RegistryStore& store, const std::string& libraryPath) {
    if (RegisteredAs(store, libraryPath)) return S_OK;
    const std::string progId = kRoot + kProgId;
    const std::string viProgId = kRoot + kVersionIndependentProgId;
    const std::string clsid = ClsidKey();
    Writes w(store);
    w.Text(progId, "", kClassDescription)
        .Text(progId + "\\CLSID", "", kClsidText)
        .Text(viProgId, "", kClassDescription)
        .Text(viProgId + "\\CLSID", "", kClsidText)
        .Text(viProgId + "\\CurVer", "", kProgId)
        .Replace(clsid)
        .Text(clsid, "", kClassDescription)
        .Text(clsid + "\\ProgID", "", kProgId)
        .Text(clsid + "\\VersionIndependentProgID", "", kVersionIndependentProgId)
        .Replace(clsid + "\\Programmable")
        .Key(clsid + "\\Programmable")
        .Text(clsid + "\\InprocServer32", "", libraryPath)
        .Text(clsid + "\\InprocServer32", "ThreadingModel", kThreadingModel)
        .Text(clsid + "\\TypeLib", "", kLibidText);
    if (!w.Ok()) return E_ACCESSDENIED;

    // The type library: there is no type library file here, so its
    // registration records what a browser of the registry would look for.
    const std::string typeLib = TypeLibKey() + "\\1.0";
    const std::string iface = InterfaceKey();
    w.Text(typeLib, "", kTypeLibHelpText)
        .Text(typeLib + "\\0\\linux", "", libraryPath)
        .Text(typeLib + "\\FLAGS", "", "0")
        .Text(iface, "", kInterfaceDescription)
        .Text(iface + "\\TypeLib", "", kLibidText)
        .Text(iface + "\\TypeLib", "Version", "1.0");
    if (!w.Ok()) return E_ACCESSDENIED;
    return S_OK;
}

HRESULT CFilterRegistrar::Unregister(RegistryStore& store) {
    for (const std::string& key : {kRoot + kProgId, kRoot + kVersionIndependentProgId, ClsidKey(), TypeLibKey(),
                                   InterfaceKey()}) {
        if (store.KeyExists(key)) store.DeleteKey(key);
    }
    return S_OK;
}

std::string CFilterRegistrar::OwnModulePath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&CFilterRegistrar::OwnModulePath), &info) || !info.dli_fname) return {};
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

}  // namespace txtfilter
