// Self-registration in the registry store, CoGetClassObject through it, and
// the real library's COM exports.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <dlfcn.h>

#include "platform/comclassobject.h"
#include "platform/comptr.h"
#include "platform/registrystore.h"
#include "support/tempfolder.h"
#include "txtfilter/filterrun.h"
#include "txtfilter/filterids.h"
#include "txtfilter/filterregistrar.h"

using namespace platform;
using namespace testing_txt;
using txtfilter::CFilterRegistrar;

namespace {

const std::string kLibrary = PAGORA_BIN_DIR "/Pagora_txt.so";
const std::string kClsidKey = "HKCR\\CLSID\\{5C3E9A10-4B7D-4F21-8E6A-2D9B40C7A115}";

}  // namespace

TEST(Registration, WritesTheClassEntriesAndRemovesThemAgain) {
    TempDir dir;
    RegistryStore store(dir.File("registry.ini"));
    // Left-overs of an older registration under the class key go; other classes stay.
    store.SetString(kClsidKey + "\\Stale", "", "old");
    store.SetString("HKCR\\CLSID\\{00000000-0000-0000-0000-000000000001}", "", "other");
    ASSERT_EQ(CFilterRegistrar::Register(store, "/opt/pagora/Pagora_txt.so"), S_OK);

    struct Entry {
        std::string key, name, value;
    } entries[] = {
        {"HKCR\\Pagoramimefilter.PagoraMimeFilterPP.1", "", "PagoraMimeFilterPP Class"},
        {"HKCR\\Pagoramimefilter.PagoraMimeFilterPP.1\\CLSID", "", txtfilter::kClsidText},
        {"HKCR\\Pagoramimefilter.PagoraMimeFilterPP", "", "PagoraMimeFilterPP Class"},
        {"HKCR\\Pagoramimefilter.PagoraMimeFilterPP\\CLSID", "", txtfilter::kClsidText},
        {"HKCR\\Pagoramimefilter.PagoraMimeFilterPP\\CurVer", "", "Pagoramimefilter.PagoraMimeFilterPP.1"},
        {kClsidKey, "", "PagoraMimeFilterPP Class"},
        {kClsidKey + "\\ProgID", "", "Pagoramimefilter.PagoraMimeFilterPP.1"},
        {kClsidKey + "\\VersionIndependentProgID", "", "Pagoramimefilter.PagoraMimeFilterPP"},
        {kClsidKey + "\\InprocServer32", "", "/opt/pagora/Pagora_txt.so"},
        {kClsidKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {kClsidKey + "\\TypeLib", "", "{5C3E9A0F-4B7D-4F21-8E6A-2D9B40C7A115}"},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.key + " " + e.name);
        EXPECT_EQ(store.GetString(e.key, e.name), e.value);
    }
    EXPECT_TRUE(store.KeyExists(kClsidKey + "\\Programmable"));
    EXPECT_FALSE(store.KeyExists(kClsidKey + "\\Stale"));

    // Registering again as it stands rewrites nothing; a new stale entry or
    // another library path makes it run in full again.
    struct stat before, after;
    ASSERT_EQ(stat(store.FilePath().c_str(), &before), 0);
    ASSERT_EQ(CFilterRegistrar::Register(store, "/opt/pagora/Pagora_txt.so"), S_OK);
    ASSERT_EQ(stat(store.FilePath().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    store.SetString(kClsidKey + "\\InprocServer32", "Stale", "old");
    ASSERT_EQ(CFilterRegistrar::Register(store, "/opt/pagora/Pagora_txt.so"), S_OK);
    EXPECT_EQ(store.GetString(kClsidKey + "\\InprocServer32", "Stale"), std::nullopt);
    ASSERT_EQ(CFilterRegistrar::Register(store, "/usr/lib/pagora/Pagora_txt.so"), S_OK);
    EXPECT_EQ(store.GetString(kClsidKey + "\\InprocServer32", ""), "/usr/lib/pagora/Pagora_txt.so");
    ASSERT_EQ(CFilterRegistrar::Register(store, "/opt/pagora/Pagora_txt.so"), S_OK);
    EXPECT_EQ(store.GetString("HKCR\\TypeLib\\{5C3E9A0F-4B7D-4F21-8E6A-2D9B40C7A115}\\1.0", ""),
              "pagoramimefilter 1.0 Type Library");

    ASSERT_EQ(CFilterRegistrar::Unregister(store), S_OK);
    EXPECT_FALSE(store.KeyExists(kClsidKey));
    EXPECT_FALSE(store.KeyExists("HKCR\\Pagoramimefilter.PagoraMimeFilterPP.1"));
    EXPECT_FALSE(store.KeyExists("HKCR\\Pagoramimefilter.PagoraMimeFilterPP"));
    EXPECT_FALSE(store.KeyExists("HKCR\\TypeLib\\{5C3E9A0F-4B7D-4F21-8E6A-2D9B40C7A115}"));
    EXPECT_TRUE(store.KeyExists("HKCR\\CLSID"));
    EXPECT_EQ(store.GetString("HKCR\\CLSID\\{00000000-0000-0000-0000-000000000001}", ""), "other");
}

TEST(Registration, FailsWhenTheStoreCannotBeWritten) {
    TempDir dir;
    // The store's file is a folder: no write can succeed.
    std::filesystem::create_directory(dir.File("registry.ini"));
    RegistryStore store(dir.File("registry.ini"));
    EXPECT_TRUE(Failed(CFilterRegistrar::Register(store, kLibrary)));
}

TEST(ClassObject, FoundThroughTheStoreAndLoadedFromTheLibrary) {
    TempDir dir;
    RegistryStore store(dir.File("registry.ini"));
    ComPtr<IClassFactory> factory;
    const CLSID& clsid = txtfilter::CLSID_XMLMimeFilterPP;
    EXPECT_EQ(CoGetClassObjectFrom(store, clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.PutVoid()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoGetClassObjectFrom(store, clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, nullptr),
              E_POINTER);
    EXPECT_EQ(CoGetClassObjectFrom(store, clsid, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory, factory.PutVoid()),
              E_INVALIDARG);

    store.SetString(kClsidKey + "\\InprocServer32", "", dir.File("missing.so"));
    EXPECT_EQ(CoGetClassObjectFrom(store, clsid, 5, nullptr, IID_IClassFactory, factory.PutVoid()),
              HRESULT_MOD_NOT_FOUND);

    ASSERT_EQ(CFilterRegistrar::Register(store, kLibrary), S_OK);
    ASSERT_EQ(CoGetClassObjectFrom(store, clsid, 5, nullptr, IID_IClassFactory, factory.PutVoid()), S_OK);
    ComPtr<IInternetProtocol> filter;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IInternetProtocol, filter.PutVoid()), S_OK);
    EXPECT_TRUE(filter);
}

TEST(LibraryExports, ClassObjectUnloadCountsAndSwitch) {
    void* lib = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(lib, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(lib, "DllCanUnloadNow"));
    auto hook = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "HookText"));
    auto init = reinterpret_cast<int32_t (*)()>(dlsym(lib, "IntiHookText"));
    auto uninit = reinterpret_cast<int32_t (*)()>(dlsym(lib, "UnIntiHookText"));
    ASSERT_TRUE(getClassObject && canUnload && hook && init && uninit);
    // Only the exports are visible: the library's own classes stay inside.
    EXPECT_EQ(dlsym(lib, "_ZN9txtfilter11CTextSwitch3SetEi"), nullptr);

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(getClassObject(txtfilter::CLSID_XMLMimeFilterPP, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(canUnload(), S_OK);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(txtfilter::CLSID_XMLMimeFilterPP, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    IInternetProtocol* filter = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IInternetProtocol, reinterpret_cast<void**>(&filter)), S_OK);
    factory->Release();
    EXPECT_EQ(canUnload(), S_FALSE);  // the object still lives

    // The switch: Start answers E_NOTIMPL while it is off.
    EXPECT_EQ(init(), 0);
    EXPECT_EQ(hook(0), 0);
    struct : IInternetProtocol {
        HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG AddRef() override { return 2; }
        ULONG Release() override { return 1; }
        HRESULT Start(LPCSTR_UTF8, IInternetProtocolSink*, IInternetBindInfo*, DWORD, uintptr_t) override { return S_OK; }
        HRESULT Continue(PROTOCOLDATA*) override { return S_OK; }
        HRESULT Abort(HRESULT, DWORD) override { return S_OK; }
        HRESULT Terminate(DWORD) override { return S_OK; }
        HRESULT Suspend() override { return S_OK; }
        HRESULT Resume() override { return S_OK; }
        HRESULT Read(void*, ULONG, ULONG* n) override { *n = 0; return S_FALSE; }
        HRESULT Seek(int64_t, DWORD, uint64_t*) override { return E_NOTIMPL; }
        HRESULT LockRequest(DWORD) override { return S_OK; }
        HRESULT UnlockRequest() override { return S_OK; }
    } source;
    PROTOCOLFILTERDATA data{sizeof data, nullptr, &source, nullptr, 0};
    EXPECT_EQ(filter->Start("a.txt", nullptr, nullptr, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&data)), E_NOTIMPL);
    EXPECT_EQ(hook(1), 0);
    EXPECT_EQ(filter->Start("a.txt", nullptr, nullptr, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&data)), S_OK);
    EXPECT_EQ(uninit(), 0);

    filter->Release();
    EXPECT_EQ(canUnload(), S_OK);
    dlclose(lib);
}

TEST(Guid, TextFormsRoundTrip) {
    EXPECT_EQ(GuidToString(txtfilter::CLSID_XMLMimeFilterPP), txtfilter::kClsidText);
    auto parsed = GuidFromString("{5c3e9a0f-4b7d-4f21-8e6a-2d9b40c7a115}");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, txtfilter::LIBID_XMLMIMEFILTERLib);
    for (const char* bad : {"", "5C3E9A10-4B7D-4F21-8E6A-2D9B40C7A115", "{5C3E9A10-4B7D-4F21-8E6A-2D9B40C7A11}",
                            "{5C3E9A10-4B7D-4F21-8E6A+2D9B40C7A115}", "{5C3E9A1G-4B7D-4F21-8E6A-2D9B40C7A115}"})
        EXPECT_FALSE(GuidFromString(bad)) << bad;
}
