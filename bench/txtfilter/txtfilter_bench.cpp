// Throughput and memory of the text filter: a 200 MB text read through the
// filter object in 4096-byte source blocks while the reader keeps up.
//   BM_FilterText/0: English ASCII text   BM_FilterText/1: GBK bytes
//   BM_FilterText/2: UTF-16 text (with the mark)
// BM_TranscodeGbk: the streaming GBK-to-UTF-8 conversion alone (recognition
// and iconv, 4096-byte blocks), in CPU time.
// BM_FilterFile converts PAGORA_BENCH_FILE through the whole road (file
// source, session, CUrlmonDocument). Run under the locale to be measured:
// the GBK case needs a GBK locale (bench/txtfilter/run-txtfilter.sh makes one).

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/urlmon.h"
#include "txtfilter/filterclassfactory.h"
#include "txtfilter/filterids.h"
#include "txtfilter/textswitch.h"
#include "txtfilter/texttranscoder.h"
#include "txtfilter/xmlmimefilterpp.h"

using namespace platform;

namespace {

constexpr uint64_t kDocumentBytes = 200ull << 20;

// The peak resident size of this process so far, in MiB.
double PeakRssMiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

std::string Pattern(int kind) {
    std::string p;
    if (kind == 0) {
        const char* words[] = {"the", "reader", "opens", "a", "book", "and", "turns", "pages", "while", "<quiet>",
                               "rain", "&", "\"wind\"", "fall", "outside", "its", "window"};
        for (int i = 0; p.size() < (1 << 20); ++i) {
            p += words[(i * 7) % 17];
            p += (i % 13 == 12) ? "\r\n" : " ";
            if (i % 97 == 0) p += "    ";
        }
    } else if (kind == 1) {
        // GBK: 中文阅读器，打开一本书。"引号" <标签> & 空格 (bytes as GBK stores them)
        const char* line = "\xD6\xD0\xCE\xC4\xD4\xC4\xB6\xC1\xC6\xF7\xA3\xAC\xB4\xF2\xBF\xAA\xD2\xBB\xB1\xBE\xCA\xE9"
                           "\xA1\xA3\"\xD2\xFD\xBA\xC5\" <\xB1\xEA\xC7\xA9> & \xBF\xD5\xB8\xF1\r\n";
        while (p.size() < (1 << 20)) p += line;
    } else {
        const char16_t* line = u"中文阅读器，打开一本书。 \"quote\" <tag> & more text\r\n";
        while (p.size() < (1 << 20))
            for (const char16_t* c = line; *c; ++c) {
                p += static_cast<char>(*c & 0xFF);
                p += static_cast<char>(*c >> 8);
            }
    }
    return p;
}

// Hands out `total` bytes cycling through a pattern (the first block starts
// with the UTF-16 mark when asked), without holding the document in memory.
class CyclingSource final : public IInternetProtocol {
public:
    CyclingSource(const std::string& pattern, uint64_t total, bool mark)
        : m_pattern(pattern), m_total(total), m_mark(mark) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT Start(LPCSTR_UTF8, IInternetProtocolSink*, IInternetBindInfo*, DWORD, uintptr_t) override { return S_OK; }
    HRESULT Continue(PROTOCOLDATA*) override { return S_OK; }
    HRESULT Abort(HRESULT, DWORD) override { return S_OK; }
    HRESULT Terminate(DWORD) override { return S_OK; }
    HRESULT Suspend() override { return S_OK; }
    HRESULT Resume() override { return S_OK; }
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        char* out = static_cast<char*>(buffer);
        ULONG n = 0;
        if (m_mark && m_done == 0 && size >= 2) {
            out[0] = '\xFF';
            out[1] = '\xFE';
            n = 2;
        }
        while (n < size && m_done + n < m_total) {
            size_t k = std::min<size_t>({size - n, m_pattern.size() - m_offset, m_total - m_done - n});
            std::memcpy(out + n, m_pattern.data() + m_offset, k);
            n += static_cast<ULONG>(k);
            m_offset = (m_offset + k) % m_pattern.size();
        }
        m_done += n;
        *read = n;
        return m_done == m_total ? S_FALSE : S_OK;
    }
    HRESULT Seek(int64_t, DWORD, uint64_t*) override { return E_NOTIMPL; }
    HRESULT LockRequest(DWORD) override { return S_OK; }
    HRESULT UnlockRequest() override { return S_OK; }

private:
    const std::string& m_pattern;
    uint64_t m_total, m_done = 0;
    size_t m_offset = 0;
    bool m_mark;
};

void BM_FilterText(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    if (kind == 1 && std::strstr(std::setlocale(LC_CTYPE, nullptr), "GBK") == nullptr) {
        state.SkipWithError("needs a GBK locale (LC_ALL=zh_CN.GBK)");
        return;
    }
    const std::string pattern = Pattern(kind);
    std::string buffer(64 * 1024, '\0');
    uint64_t html = 0;
    size_t queuePeak = 0;
    const double rssBefore = PeakRssMiB();
    for (auto _ : state) {
        CyclingSource source(pattern, kDocumentBytes, kind == 2);
        auto* filter = txtfilter::XMLMimeFilterPP::Create(nullptr);
        PROTOCOLFILTERDATA data{sizeof data, nullptr, &source, nullptr, 0};
        filter->Start("bench.txt", nullptr, nullptr, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&data));
        HRESULT hr;
        do {
            ULONG got = 0;
            hr = filter->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &got);
            html += got;
            queuePeak = std::max(queuePeak, filter->QueuedBytes());
        } while (hr == S_OK || hr == E_PENDING);
        filter->Release();
        if (hr != S_FALSE) state.SkipWithError("read failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
    state.counters["html_per_text"] = static_cast<double>(html) / (state.iterations() * kDocumentBytes);
    state.counters["queue_peak_KiB"] = queuePeak / 1024.0;
    state.counters["rss_growth_MiB"] = PeakRssMiB() - rssBefore;
}
BENCHMARK(BM_FilterText)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TranscodeGbk(benchmark::State& state) {
    const std::string pattern = Pattern(1);  // whole lines, so a block may wrap at its end
    constexpr size_t kBlock = 4096;
    std::string out;
    uint64_t produced = 0;
    for (auto _ : state) {
        txtfilter::CTextTranscoder transcoder("UTF-8");
        size_t offset = 0;
        for (uint64_t done = 0; done < kDocumentBytes;) {
            const size_t n = std::min<size_t>({kBlock, pattern.size() - offset, kDocumentBytes - done});
            out.clear();
            transcoder.Convert(reinterpret_cast<const uint8_t*>(pattern.data()) + offset, n, out);
            produced += out.size();
            offset = (offset + n) % pattern.size();
            done += n;
        }
        out.clear();
        transcoder.Finish(out);
        produced += out.size();
        if (transcoder.Encoding() != "GB18030") state.SkipWithError("not recognised as GB18030");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDocumentBytes));
    state.counters["utf8_per_gbk"] = static_cast<double>(produced) / (state.iterations() * kDocumentBytes);
}
BENCHMARK(BM_TranscodeGbk)->Unit(benchmark::kMillisecond);

void BM_FilterFile(benchmark::State& state) {
    const char* path = std::getenv("PAGORA_BENCH_FILE");
    if (!path || !*path) {
        state.SkipWithError("set PAGORA_BENCH_FILE to a text file");
        return;
    }
    CInternetSession session;
    auto* factory = txtfilter::CFilterClassFactory::Get();
    session.RegisterMimeFilter(factory, txtfilter::CLSID_XMLMimeFilterPP, "text/plain");
    uint64_t text = 0, html = 0;
    const double rssBefore = PeakRssMiB();
    for (auto _ : state) {
        auto source = CFileSourceProtocol::Create();
        CUrlmonDocument doc(source.Get(), "text/plain", path, &session);
        if (Failed(doc.Open())) {
            state.SkipWithError("cannot open PAGORA_BENCH_FILE");
            break;
        }
        doc.Pump([&](const char*, size_t n) {
            html += n;
            return true;
        });
        text += doc.SourceBytes();
    }
    session.UnregisterMimeFilter(factory, "text/plain");
    factory->Release();
    state.SetBytesProcessed(static_cast<int64_t>(text));
    state.counters["html_per_text"] = text ? static_cast<double>(html) / text : 0;
    state.counters["rss_growth_MiB"] = PeakRssMiB() - rssBefore;
}
BENCHMARK(BM_FilterFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Settings from a file that does not exist: the library's defaults.
    txtfilter::XMLMimeFilterPP::SetIniPathForTesting("/nonexistent/pagora-bench.ini");
    txtfilter::CTextSwitch::Set(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
