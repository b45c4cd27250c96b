#pragma once
// Our own declarations of the COM and URL-moniker interfaces the text filter
// speaks, with the numeric values (HRESULTs, GUIDs, flags) of the public SDK.

#include <cstdint>
#include <cstring>

namespace platform {

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;

constexpr HRESULT MakeHresult(uint32_t v) { return static_cast<HRESULT>(v); }
constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool Failed(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003u);
inline constexpr HRESULT E_ABORT = MakeHresult(0x80004004u);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005u);
inline constexpr HRESULT E_PENDING = MakeHresult(0x8000000Au);
inline constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057u);
inline constexpr HRESULT E_ACCESSDENIED = MakeHresult(0x80070005u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHresult(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154u);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHresult(0x800401F9u);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHresult(0x80040201u);
inline constexpr HRESULT HRESULT_MOD_NOT_FOUND = MakeHresult(0x8007007Eu);  // HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)
inline constexpr HRESULT HRESULT_FILE_NOT_FOUND = MakeHresult(0x80070002u);  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
inline constexpr HRESULT INET_E_RESOURCE_NOT_FOUND = MakeHresult(0x800C0005u);
inline constexpr HRESULT INET_E_DATA_NOT_AVAILABLE = MakeHresult(0x800C0007u);
inline constexpr HRESULT INET_E_DOWNLOAD_FAILURE = MakeHresult(0x800C0008u);

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IInternetBindInfo = {0x79EAC9E1, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
inline constexpr IID IID_IInternetProtocolRoot = {0x79EAC9E3, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
inline constexpr IID IID_IInternetProtocol = {0x79EAC9E4, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
inline constexpr IID IID_IInternetProtocolSink = {0x79EAC9E5, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};
inline constexpr IID IID_IInternetSession = {0x79EAC9E7, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

// Class contexts of CoGetClassObject.
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

// Flags of IInternetProtocolRoot::Start (PI_FLAGS).
inline constexpr DWORD PI_PARSE_URL = 0x1;
inline constexpr DWORD PI_FILTER_MODE = 0x2;
inline constexpr DWORD PI_FORCE_ASYNC = 0x4;

// Status codes of IInternetProtocolSink::ReportProgress (BINDSTATUS).
inline constexpr ULONG BINDSTATUS_BEGINDOWNLOADDATA = 4;
inline constexpr ULONG BINDSTATUS_DOWNLOADINGDATA = 5;
inline constexpr ULONG BINDSTATUS_ENDDOWNLOADDATA = 6;
inline constexpr ULONG BINDSTATUS_MIMETYPEAVAILABLE = 13;
inline constexpr ULONG BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE = 22;
// Our own code, outside the system's range: the encoding a text filter reads
// the document as (an iconv name such as "GB18030"), for the status bar.
inline constexpr ULONG BINDSTATUS_TEXTENCODING = 0x7F01;

// Flags of IInternetProtocolSink::ReportData (BSCF).
inline constexpr DWORD BSCF_FIRSTDATANOTIFICATION = 0x1;
inline constexpr DWORD BSCF_INTERMEDIATEDATANOTIFICATION = 0x2;
inline constexpr DWORD BSCF_LASTDATANOTIFICATION = 0x4;
inline constexpr DWORD BSCF_DATAFULLYAVAILABLE = 0x8;
inline constexpr DWORD BSCF_AVAILABLEDATASIZEUNKNOWN = 0x10;

// Texts at these interfaces are UTF-8 (the Windows originals take UTF-16).
using LPCSTR_UTF8 = const char*;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;  // objects die through Release, never through delete
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
    virtual HRESULT LockServer(int lock) = 0;
};

// Bind information of a download: strings the one who starts a protocol
// hands to it. Only our own kinds are asked for.
inline constexpr ULONG BINDSTRING_TEXTENCODING = 0x7F01;  // the encoding the reader chose for a text
struct IInternetBindInfo : IUnknown {
    // The string of that kind (UTF-8, valid while the protocol runs), or
    // null when there is none.
    virtual LPCSTR_UTF8 BindString(ULONG kind) = 0;
};

struct PROTOCOLDATA {
    DWORD grfFlags;
    DWORD dwState;
    void* pData;
    ULONG cbData;
};

struct IInternetProtocolSink;

struct IInternetProtocolRoot : IUnknown {
    // `reserved` carries a PROTOCOLFILTERDATA* when flags hold PI_FILTER_MODE.
    virtual HRESULT Start(LPCSTR_UTF8 url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo,
                          DWORD flags, uintptr_t reserved) = 0;
    virtual HRESULT Continue(PROTOCOLDATA* data) = 0;
    virtual HRESULT Abort(HRESULT reason, DWORD options) = 0;
    virtual HRESULT Terminate(DWORD options) = 0;
    virtual HRESULT Suspend() = 0;
    virtual HRESULT Resume() = 0;
};

struct IInternetProtocol : IInternetProtocolRoot {
    // S_OK: bytes copied and more may follow; S_FALSE: the data is complete
    // (`*read` may still be non-zero); E_PENDING: nothing available yet.
    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
    virtual HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) = 0;
    virtual HRESULT LockRequest(DWORD options) = 0;
    virtual HRESULT UnlockRequest() = 0;
};

struct IInternetProtocolSink : IUnknown {
    virtual HRESULT Switch(PROTOCOLDATA* data) = 0;
    virtual HRESULT ReportProgress(ULONG statusCode, LPCSTR_UTF8 statusText) = 0;
    virtual HRESULT ReportData(DWORD bscf, ULONG progress, ULONG progressMax) = 0;
    virtual HRESULT ReportResult(HRESULT result, DWORD error, LPCSTR_UTF8 resultText) = 0;
};

// What a MIME filter receives in Start's `reserved` argument in filter mode.
struct PROTOCOLFILTERDATA {
    DWORD cbSize;
    IInternetProtocolSink* pProtocolSink;
    IInternetProtocol* pProtocol;  // the source the filter reads from
    IUnknown* pUnk;
    DWORD dwFilterFlags;
};

struct IInternetSession : IUnknown {
    virtual HRESULT RegisterMimeFilter(IClassFactory* factory, REFCLSID clsid, LPCSTR_UTF8 mimeType) = 0;
    virtual HRESULT UnregisterMimeFilter(IClassFactory* factory, LPCSTR_UTF8 mimeType) = 0;
};

// Signatures of the exports of an in-process server, looked up by name.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID clsid, REFIID iid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

}  // namespace platform
