#pragma once
// Test doubles for the URL-moniker road: a source protocol that answers Read
// from a script, and a sink that records what it is told.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/comtypes.h"

namespace testing_txt {

using namespace platform;

// A script step: bytes handed out (possibly over several Reads when the
// caller's buffer is smaller) and the result of the Read that hands out the
// step's last byte. A step with no bytes is one Read answering `result`.
struct Step {
    std::string bytes;
    HRESULT result;
};

class ScriptedSource final : public IInternetProtocol {
public:
    explicit ScriptedSource(std::vector<Step> script) : m_script(std::move(script)) {}

    // Cuts `text` into blocks of `block` bytes; the last one answers S_FALSE.
    static std::vector<Step> Blocks(const std::string& text, size_t block) {
        std::vector<Step> steps;
        for (size_t i = 0; i < text.size(); i += block)
            steps.push_back({text.substr(i, block), i + block >= text.size() ? S_FALSE : S_OK});
        if (steps.empty()) steps.push_back({"", S_FALSE});
        return steps;
    }

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IInternetProtocol || iid == IID_IInternetProtocolRoot) {
            *out = static_cast<IInternetProtocol*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }  // lives on the test's stack

    HRESULT Start(LPCSTR_UTF8, IInternetProtocolSink*, IInternetBindInfo*, DWORD, uintptr_t) override { return S_OK; }
    HRESULT Continue(PROTOCOLDATA*) override { return S_OK; }
    HRESULT Abort(HRESULT, DWORD) override { ++aborts; return S_OK; }
    HRESULT Terminate(DWORD) override { ++terminates; return S_OK; }
    HRESULT Suspend() override { return E_NOTIMPL; }
    HRESULT Resume() override { return E_NOTIMPL; }
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        ++reads;
        *read = 0;
        if (m_step >= m_script.size()) return S_FALSE;
        const Step& s = m_script[m_step];
        size_t n = std::min<size_t>(size, s.bytes.size() - m_offset);
        if (n) std::memcpy(buffer, s.bytes.data() + m_offset, n);
        *read = static_cast<ULONG>(n);
        m_offset += n;
        if (m_offset < s.bytes.size()) return S_OK;
        ++m_step;
        m_offset = 0;
        return s.result;
    }
    HRESULT Seek(int64_t, DWORD, uint64_t*) override { return E_NOTIMPL; }
    HRESULT LockRequest(DWORD) override { return S_OK; }
    HRESULT UnlockRequest() override { return S_OK; }

    std::atomic<ULONG> refs{1};
    int reads = 0, terminates = 0, aborts = 0;

private:
    std::vector<Step> m_script;
    size_t m_step = 0, m_offset = 0;
};

class RecordingSink final : public IInternetProtocolSink {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IInternetProtocolSink) {
            *out = static_cast<IInternetProtocolSink*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT Switch(PROTOCOLDATA*) override { return S_OK; }
    HRESULT ReportProgress(ULONG status, LPCSTR_UTF8 text) override {
        progress.emplace_back(status, text ? text : "");
        return S_OK;
    }
    HRESULT ReportData(DWORD bscf, ULONG, ULONG) override {
        data.push_back(bscf);
        return S_OK;
    }
    HRESULT ReportResult(HRESULT hr, DWORD, LPCSTR_UTF8) override {
        results.push_back(hr);
        return S_OK;
    }

    std::atomic<ULONG> refs{1};
    std::vector<std::pair<ULONG, std::string>> progress;
    std::vector<DWORD> data;
    std::vector<HRESULT> results;
};

}  // namespace testing_txt
