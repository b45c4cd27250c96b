// The filter object: Start's checks, the Read protocol against a scripted
// source, pass-through, Terminate, interfaces, aggregation and counts.

#include <gtest/gtest.h>

#include "filterrun.h"
#include "txtfilter/filterclassfactory.h"
#include "txtfilter/libraryrefs.h"

using namespace testing_txt;
using txtfilter::CTextSwitch;
using txtfilter::XMLMimeFilterPP;

namespace {

// A filter started over a scripted source, released at the end of the test.
struct Started {
    explicit Started(std::vector<Step> script, bool switchOn = true) : source(std::move(script)) {
        txtfilter::XMLMimeFilterPP::SetIniPathForTesting(dir.File("none.ini"));
        CTextSwitch::Set(switchOn ? 1 : 0);
        filter = XMLMimeFilterPP::Create(nullptr);
        PROTOCOLFILTERDATA data{sizeof data, nullptr, &source, nullptr, 0};
        startResult = filter->Start("a.txt", &sink, nullptr, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&data));
    }
    ~Started() {
        filter->Release();
        CTextSwitch::Set(1);
        XMLMimeFilterPP::SetIniPathForTesting("");
    }
    HRESULT Read(std::string* out, ULONG size) {
        std::string buf(size, '\0');
        ULONG got = 12345;
        HRESULT hr = filter->Read(buf.data(), size, &got);
        out->assign(buf.data(), got);
        return hr;
    }

    TempDir dir;
    ScriptedSource source;
    RecordingSink sink;
    XMLMimeFilterPP* filter;
    HRESULT startResult;
};

const std::string kTail = "</td></tr></table>\r\n\r\n</BODY></HTML>\r\n";

}  // namespace

TEST(FilterStart, RefusesCallsOutsideFilterModeWithoutTakingReferences) {
    ScriptedSource source({{"x", S_FALSE}});
    RecordingSink sink;
    XMLMimeFilterPP* f = XMLMimeFilterPP::Create(nullptr);
    PROTOCOLFILTERDATA data{sizeof data, nullptr, &source, nullptr, 0};
    EXPECT_EQ(f->Start("a.txt", &sink, nullptr, PI_PARSE_URL, reinterpret_cast<uintptr_t>(&data)), E_INVALIDARG);
    EXPECT_EQ(source.refs, 1u);
    EXPECT_EQ(sink.refs, 1u);
    PROTOCOLFILTERDATA noSource{sizeof data, nullptr, nullptr, nullptr, 0};
    EXPECT_EQ(f->Start("a.txt", &sink, nullptr, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&noSource)), E_INVALIDARG);
    EXPECT_EQ(f->Start("a.txt", &sink, nullptr, PI_FILTER_MODE, 0), E_INVALIDARG);
    // Without a source every forwarded operation answers E_FAIL.
    ULONG got;
    char buf[8];
    EXPECT_EQ(f->Read(buf, sizeof buf, &got), E_FAIL);
    EXPECT_EQ(f->Terminate(0), E_FAIL);
    EXPECT_EQ(f->Continue(nullptr), E_FAIL);
    EXPECT_EQ(f->ReportProgress(1, "x"), E_FAIL);
    EXPECT_EQ(f->Seek(0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(f->LockRequest(0), S_OK);
    f->Release();
}

TEST(FilterStart, SwitchOffRefusesButHoldsTheReferencesAndPassesTextThrough) {
    Started s({{"a<b", S_FALSE}}, /*switchOn=*/false);
    EXPECT_EQ(s.startResult, E_NOTIMPL);
    EXPECT_EQ(s.source.refs, 2u);
    EXPECT_EQ(s.sink.refs, 2u);
    // The switch turned on since: the object has no queue, so the text passes unchanged.
    CTextSwitch::Set(1);
    std::string out;
    EXPECT_EQ(s.Read(&out, 100), S_FALSE);
    EXPECT_EQ(out, "a<b");
    // The type, and the encoding the text was read as (it is converted to the
    // locale's set on this road too).
    ASSERT_EQ(s.sink.progress.size(), 2u);
    EXPECT_EQ(s.sink.progress[0], std::make_pair(BINDSTATUS_TEXTENCODING, std::string("UTF-8")));
    EXPECT_EQ(s.sink.progress[1], std::make_pair(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, std::string("text/html")));
}

TEST(FilterRead, PendingUntilABlockIsHandedOverThenPartialThenFalse) {
    Started s({{"abc", S_OK}, {"", E_PENDING}, {"def", S_OK}, {"", S_FALSE}});
    ASSERT_EQ(s.startResult, S_OK);
    std::string out, html;
    // "abc" is held for the encoding's decision: nothing readable yet.
    EXPECT_EQ(s.Read(&out, 4096), E_PENDING);
    EXPECT_EQ(out, "");
    // The source is pending: "abc" is passed on and sits in the fill block with the head.
    EXPECT_EQ(s.Read(&out, 4096), E_PENDING);
    EXPECT_EQ(s.Read(&out, 4096), E_PENDING);
    // The end of the source hands the block over: everything fits, so S_FALSE at once.
    EXPECT_EQ(s.Read(&out, 4096), S_FALSE);
    html = out;
    EXPECT_EQ(BodyOf(html), "abcdef");
    EXPECT_EQ(s.Read(&out, 4096), S_FALSE);
    EXPECT_EQ(out, "");
    EXPECT_EQ(s.source.reads, 4);  // no source reads after the end
    // Every Read reported the verified type; the encoding was reported once,
    // when it was decided.
    int types = 0, encodings = 0;
    for (const auto& p : s.sink.progress) {
        if (p.first == BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE) ++types;
        if (p.first == BINDSTATUS_TEXTENCODING) ++encodings;
    }
    EXPECT_EQ(types, 5);
    EXPECT_EQ(encodings, 1);
    EXPECT_EQ(s.sink.progress.size(), 6u);
    EXPECT_EQ(s.filter->TextEncoding(), "UTF-8");
}

TEST(FilterRead, SmallRequestsAreServedOverSeveralCalls) {
    Started s({{"hello world\n", S_FALSE}});
    const std::string whole = ConvertText("hello world\n");
    std::string out, html;
    HRESULT hr;
    int calls = 0;
    while ((hr = s.Read(&out, 10)) == S_OK) {
        EXPECT_EQ(out.size(), 10u);
        html += out;
        ++calls;
    }
    EXPECT_EQ(hr, S_FALSE);  // even though the last call copied bytes
    html += out;
    EXPECT_EQ(html, whole);
    EXPECT_EQ(calls, static_cast<int>(whole.size() / 10));
    // A request of exactly what is left answers S_OK; the next one S_FALSE.
    Started t({{"x", S_FALSE}});
    const std::string small = ConvertText("x");
    EXPECT_EQ(t.Read(&out, static_cast<ULONG>(small.size())), S_OK);
    EXPECT_EQ(out, small);
    EXPECT_EQ(t.Read(&out, 10), S_FALSE);
    EXPECT_EQ(out, "");
}

TEST(FilterRead, LargeRequestGetsWhatIsReadyWithSOk) {
    // 3000 ampersands make 15000 bytes: blocks are handed over while the source is still open.
    // The first Read only takes the text (held for the encoding's decision);
    // the source's pending answer lets it through.
    Started s({{std::string(3000, '&'), S_OK}, {"", E_PENDING}, {"", E_PENDING}, {"", S_FALSE}});
    std::string out;
    EXPECT_EQ(s.Read(&out, 1 << 20), E_PENDING);
    EXPECT_EQ(out, "");
    EXPECT_EQ(s.Read(&out, 1 << 20), S_OK);
    EXPECT_GT(out.size(), 0u);
    EXPECT_LT(out.size(), 15000u);
    std::string rest;
    EXPECT_EQ(s.Read(&rest, 1 << 20), E_PENDING);
    EXPECT_EQ(s.Read(&rest, 1 << 20), S_FALSE);
    EXPECT_EQ(out + rest, ConvertText(std::string(3000, '&')));
}

TEST(FilterRead, SourceFailureIsReturnedUnchanged) {
    Started s({{"abc", S_OK}, {"", INET_E_DOWNLOAD_FAILURE}});
    std::string out;
    EXPECT_EQ(s.Read(&out, 100), E_PENDING);
    EXPECT_EQ(s.Read(&out, 100), INET_E_DOWNLOAD_FAILURE);
}

TEST(FilterRead, SwitchChangesAfterStart) {
    // Off before any text was read: the document passes through as it is.
    {
        Started s({{"a<b", S_FALSE}});
        CTextSwitch::Set(0);
        std::string out;
        EXPECT_EQ(s.Read(&out, 100), S_FALSE);
        EXPECT_EQ(out, "a<b");
    }
    // Off once conversion began (the next navigation): the page is finished as HTML.
    {
        Started s({{"a<b", S_OK}, {"c>d", S_FALSE}});
        std::string out;
        EXPECT_EQ(s.Read(&out, 10000), E_PENDING);
        CTextSwitch::Set(0);
        EXPECT_EQ(s.Read(&out, 10000), S_FALSE);
        EXPECT_EQ(BodyOf(out), "a&lt;bc&gt;d");
    }
}

TEST(FilterRead, QueueStaysSmallWhileTheReaderKeepsUp) {
    std::vector<Step> script;
    for (int i = 0; i < 2000; ++i) script.push_back({std::string(4096, i % 7 ? 'x' : '<'), S_OK});
    script.push_back({"", S_FALSE});
    Started s(std::move(script));
    std::string out;
    size_t total = 0, most = 0;
    HRESULT hr;
    do {
        hr = s.Read(&out, 65536);
        total += out.size();
        most = std::max(most, s.filter->QueuedBytes());
    } while (hr == S_OK || hr == E_PENDING);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_GT(total, 2000u * 4096);
    EXPECT_LT(most, 32u * 1024);
}

TEST(FilterTerminate, ReleasesTheSinkAndPassesOnToTheSource) {
    Started s({{"abc", S_FALSE}});
    EXPECT_EQ(s.sink.refs, 2u);
    EXPECT_EQ(s.filter->ReportData(BSCF_LASTDATANOTIFICATION, 3, 3), S_OK);
    EXPECT_EQ(s.sink.data.size(), 1u);
    EXPECT_EQ(s.filter->Terminate(0), S_OK);
    EXPECT_EQ(s.source.terminates, 1);
    EXPECT_EQ(s.sink.refs, 1u);
    EXPECT_EQ(s.filter->ReportResult(S_OK, 0, nullptr), E_FAIL);
    EXPECT_EQ(s.sink.results.size(), 0u);
    // The source stays held until the object goes.
    EXPECT_EQ(s.source.refs, 2u);
}

TEST(FilterIdentity, InterfacesAggregationAndCounts) {
    const long before = txtfilter::CLibraryRefs::Objects();
    txtfilter::CFilterClassFactory* factory = txtfilter::CFilterClassFactory::Get();

    IInternetProtocol* protocol = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IInternetProtocol, reinterpret_cast<void**>(&protocol)), S_OK);
    EXPECT_EQ(txtfilter::CLibraryRefs::Objects(), before + 1);
    IInternetProtocolSink* sink = nullptr;
    IUnknown *unk1 = nullptr, *unk2 = nullptr;
    void* other = nullptr;
    EXPECT_EQ(protocol->QueryInterface(IID_IInternetProtocolSink, reinterpret_cast<void**>(&sink)), S_OK);
    EXPECT_EQ(protocol->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unk1)), S_OK);
    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unk2)), S_OK);
    EXPECT_EQ(unk1, unk2);  // one identity
    EXPECT_EQ(protocol->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    unk1->Release();
    unk2->Release();
    sink->Release();
    EXPECT_EQ(protocol->Release(), 0u);
    EXPECT_EQ(txtfilter::CLibraryRefs::Objects(), before);

    // Aggregation: only IUnknown may be asked for; the inner object's
    // interfaces count their references on the outer object.
    struct Outer : IUnknown {
        HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG AddRef() override { return ++refs; }
        ULONG Release() override { return --refs; }
        ULONG refs = 1;
    } outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IInternetProtocol, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    IUnknown* inner = nullptr;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    ASSERT_EQ(inner->QueryInterface(IID_IInternetProtocol, reinterpret_cast<void**>(&protocol)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    protocol->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(txtfilter::CLibraryRefs::Objects(), before);

    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IInternetProtocol, nullptr), E_POINTER);
    factory->Release();
}
