// The URL-moniker layer: the session's filter table, the file and stream
// sources, and CUrlmonDocument running documents through the real filter.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "filterrun.h"
#include "platform/codepage.h"
#include "platform/urlmon.h"
#include "txtfilter/filterclassfactory.h"
#include "txtfilter/filterids.h"

using namespace platform;
using namespace testing_txt;

namespace {

// A private session holding the filter class of the static library.
struct FilterSession {
    FilterSession() {
        factory = txtfilter::CFilterClassFactory::Get();
        session.RegisterMimeFilter(factory, txtfilter::CLSID_XMLMimeFilterPP, "text/plain");
        txtfilter::XMLMimeFilterPP::SetIniPathForTesting(dir.File("none.ini"));
        txtfilter::CTextSwitch::Set(1);
    }
    ~FilterSession() {
        session.UnregisterMimeFilter(factory, "text/plain");
        factory->Release();
        txtfilter::XMLMimeFilterPP::SetIniPathForTesting("");
        txtfilter::CTextSwitch::Set(1);
    }
    TempDir dir;
    CInternetSession session;
    txtfilter::CFilterClassFactory* factory;
};

std::string ReadAll(CUrlmonDocument& doc, HRESULT* result = nullptr) {
    std::string out;
    HRESULT hr = doc.Pump([&](const char* p, size_t n) {
        out.append(p, n);
        return true;
    });
    if (result) *result = hr;
    return out;
}

}  // namespace

TEST(Session, RegistrationsByTypeLatestFirst) {
    CInternetSession session;
    auto* a = txtfilter::CFilterClassFactory::Get();
    EXPECT_FALSE(session.HasMimeFilter("text/plain"));
    EXPECT_EQ(session.RegisterMimeFilter(nullptr, txtfilter::CLSID_XMLMimeFilterPP, "text/plain"), E_INVALIDARG);
    EXPECT_EQ(session.RegisterMimeFilter(a, txtfilter::CLSID_XMLMimeFilterPP, "Text/Plain"), S_OK);
    EXPECT_TRUE(session.HasMimeFilter("TEXT/PLAIN"));
    EXPECT_FALSE(session.HasMimeFilter("text/html"));
    EXPECT_EQ(session.UnregisterMimeFilter(a, "text/html"), S_FALSE);
    EXPECT_EQ(session.UnregisterMimeFilter(a, "text/plain"), S_OK);
    EXPECT_FALSE(session.HasMimeFilter("text/plain"));
    a->Release();

    IInternetSession* s = nullptr;
    EXPECT_EQ(CoInternetGetSession(1, &s, 0), E_INVALIDARG);
    ASSERT_EQ(CoInternetGetSession(0, &s, 0), S_OK);
    EXPECT_EQ(s, static_cast<IInternetSession*>(&CInternetSession::Process()));
    s->Release();
}

TEST(FileSource, DeliversTheFileAndEndsWithSFalse) {
    TempDir dir;
    WriteFile(dir.File("a b.txt"), "0123456789");
    auto src = CFileSourceProtocol::Create();
    RecordingSink sink;
    ASSERT_EQ(src->Start("file:///nonexistent/x.txt", &sink, nullptr, 0, 0), INET_E_RESOURCE_NOT_FOUND);
    const std::string url = "file://" + dir.Path() + "/a%20b.txt";
    ASSERT_EQ(src->Start(url.c_str(), &sink, nullptr, 0, 0), S_OK);
    EXPECT_EQ(sink.data.size(), 1u);
    char buf[16];
    ULONG got = 0;
    EXPECT_EQ(src->Read(buf, 4, &got), S_OK);
    EXPECT_EQ(std::string(buf, got), "0123");
    EXPECT_EQ(src->Read(buf, 6, &got), S_FALSE);  // exactly the rest: the end is known
    EXPECT_EQ(std::string(buf, got), "456789");
    EXPECT_EQ(src->Read(buf, 6, &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    src->Terminate(0);
    EXPECT_EQ(sink.refs, 1u);
}

TEST(StreamSource, PendingUntilFedThenEndsWithTheGivenResult) {
    auto src = CStreamSourceProtocol::Create();
    int woken = 0;
    src->SetDataCallback([&] { ++woken; });
    char buf[8];
    ULONG got = 0;
    EXPECT_EQ(src->Read(buf, sizeof buf, &got), E_PENDING);
    src->Append("abcdefghij");
    EXPECT_EQ(src->Read(buf, sizeof buf, &got), S_OK);
    EXPECT_EQ(std::string(buf, got), "abcdefgh");
    EXPECT_EQ(src->Read(buf, sizeof buf, &got), S_OK);
    EXPECT_EQ(std::string(buf, got), "ij");
    src->Finish(INET_E_DOWNLOAD_FAILURE);
    src->Append("ignored");
    EXPECT_EQ(src->Read(buf, sizeof buf, &got), INET_E_DOWNLOAD_FAILURE);
    EXPECT_EQ(woken, 2);

    auto ok = CStreamSourceProtocol::Create();
    ok->Append("xy");
    ok->Finish();
    EXPECT_EQ(ok->Read(buf, sizeof buf, &got), S_FALSE);
    EXPECT_EQ(std::string(buf, got), "xy");
}

TEST(UrlmonDocument, WithoutAFilterTheDocumentPassesThrough) {
    CInternetSession empty;
    auto src = CStreamSourceProtocol::Create();
    src->Append("a<b");
    src->Finish();
    CUrlmonDocument doc(src.Get(), "text/plain", "http://127.0.0.1:50000/a.txt", &empty);
    ASSERT_EQ(doc.Open(), S_OK);
    EXPECT_FALSE(doc.Filtered());
    EXPECT_EQ(doc.MimeType(), "text/plain");
    EXPECT_EQ(ReadAll(doc), "a<b");
}

TEST(UrlmonDocument, RunsTheRegisteredFilterOrPassesThroughWhenItRefuses) {
    FilterSession fs;
    WriteFile(fs.dir.File("t.txt"), "x < y\n");
    {
        auto src = CFileSourceProtocol::Create();
        CUrlmonDocument doc(src.Get(), "TEXT/plain", fs.dir.File("t.txt"), &fs.session);
        ASSERT_EQ(doc.Open(), S_OK);
        EXPECT_TRUE(doc.Filtered());
        EXPECT_EQ(doc.MimeType(), "text/html");
        HRESULT hr;
        EXPECT_EQ(ReadAll(doc, &hr), ConvertText("x < y\n"));
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(doc.SourceBytes(), 6u);
    }
    {
        txtfilter::CTextSwitch::Set(0);
        auto src = CFileSourceProtocol::Create();
        CUrlmonDocument doc(src.Get(), "text/plain", fs.dir.File("t.txt"), &fs.session);
        ASSERT_EQ(doc.Open(), S_OK);
        EXPECT_FALSE(doc.Filtered());
        EXPECT_EQ(doc.MimeType(), "text/plain");
        EXPECT_EQ(ReadAll(doc), "x < y\n");
    }
    {
        auto src = CFileSourceProtocol::Create();
        CUrlmonDocument doc(src.Get(), "text/plain", fs.dir.File("missing.txt"), &fs.session);
        EXPECT_EQ(doc.Open(), INET_E_RESOURCE_NOT_FOUND);
        size_t got;
        char c;
        EXPECT_EQ(doc.Read(&c, 1, &got), CUrlmonDocument::Error);
        EXPECT_EQ(doc.ErrorCode(), INET_E_RESOURCE_NOT_FOUND);
    }
}

TEST(UrlmonDocument, KnowsTheEncodingTheFilterReadTheTextAs) {
    FilterSession fs;
    const std::string novel = "第一章 灯塔\n海边的小镇上住着一位老人，他每天傍晚都会爬上灯塔，点亮那盏古老的灯。\n";
    WriteFile(fs.dir.File("gbk.txt"), ConvertCodeSet(novel, "UTF-8", "GBK"));
    auto src = CFileSourceProtocol::Create();
    CUrlmonDocument doc(src.Get(), "text/plain", fs.dir.File("gbk.txt"), &fs.session);
    ASSERT_EQ(doc.Open(), S_OK);
    const std::string html = ReadAll(doc);
    EXPECT_EQ(doc.TextEncoding(), "GB18030");
    EXPECT_NE(html.find("第一章 灯塔\n<BR>"), std::string::npos);
}

TEST(UrlmonDocument, AChosenEncodingReachesTheFilterAndWinsOverRecognition) {
    FilterSession fs;
    const std::string novel = "第一章 灯塔\n海边的小镇上住着一位老人，他每天傍晚都会爬上灯塔，点亮那盏古老的灯。\n";
    WriteFile(fs.dir.File("gbk.txt"), ConvertCodeSet(novel, "UTF-8", "GBK"));
    // Read as Big5 on the reader's word: the page is that reading, not the novel.
    auto src = CFileSourceProtocol::Create();
    CUrlmonDocument doc(src.Get(), "text/plain", fs.dir.File("gbk.txt"), &fs.session);
    doc.SetTextEncoding("BIG5");
    ASSERT_EQ(doc.Open(), S_OK);
    const std::string html = ReadAll(doc);
    EXPECT_EQ(doc.TextEncoding(), "BIG5");
    EXPECT_EQ(html.find("第一章"), std::string::npos);
    // A UTF-16BE text chosen as such loses its mark as when it is recognised.
    WriteFile(fs.dir.File("be.txt"), "\xFE\xFF" + ConvertCodeSet(novel, "UTF-8", "UTF-16BE"));
    auto src2 = CFileSourceProtocol::Create();
    CUrlmonDocument be(src2.Get(), "text/plain", fs.dir.File("be.txt"), &fs.session);
    be.SetTextEncoding("UTF-16BE");
    ASSERT_EQ(be.Open(), S_OK);
    const std::string page = ReadAll(be);
    EXPECT_NE(page.find("第一章 灯塔\n<BR>"), std::string::npos);
    EXPECT_EQ(page.find("\xEF\xBB\xBF"), std::string::npos);
}

TEST(UrlmonDocument, ALongTextOfAFileIsReadToItsEndWithoutAWait) {
    // A file source never waits: the transcoded text must not make the
    // filter look like it does (a read that drains converted text only).
    FilterSession fs;
    std::string text;
    int lines = 0;
    while (text.size() < (1 << 20)) text += "　　雨下了整整三天，第" + std::to_string(lines++) + "行。\n";
    const std::string lastLine = "第" + std::to_string(lines - 1) + "行。\n<BR>";
    for (const char* set : {"UTF-8", "GBK"}) {
        SCOPED_TRACE(set);
        WriteFile(fs.dir.File("long.txt"), ConvertCodeSet(text, "UTF-8", set));
        auto src = CFileSourceProtocol::Create();
        CUrlmonDocument doc(src.Get(), "text/plain", fs.dir.File("long.txt"), &fs.session);
        ASSERT_EQ(doc.Open(), S_OK);
        HRESULT hr;
        const std::string html = ReadAll(doc, &hr);
        EXPECT_EQ(hr, S_OK);
        EXPECT_NE(html.find(lastLine), std::string::npos);
    }
}

TEST(UrlmonDocument, StreamFedFromAnotherThread) {
    FilterSession fs;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + " <&> \"q\"\r\n";

    auto src = CStreamSourceProtocol::Create();
    std::mutex m;
    std::condition_variable cv;
    uint64_t fed = 0;
    src->SetDataCallback([&] {
        std::lock_guard<std::mutex> lock(m);
        ++fed;
        cv.notify_all();
    });
    CUrlmonDocument doc(src.Get(), "text/plain", "http://127.0.0.1:50000/a.txt", &fs.session);
    ASSERT_EQ(doc.Open(), S_OK);
    ASSERT_TRUE(doc.Filtered());
    char buf[1000];
    size_t got;
    EXPECT_EQ(doc.Read(buf, sizeof buf, &got), CUrlmonDocument::Pending);

    std::thread producer([&] {
        for (size_t i = 0; i < text.size(); i += 777) {
            src->Append(std::string_view(text).substr(i, 777));
            if (i % 7770 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        src->Finish();
    });
    std::string html;
    uint64_t seen = 0;
    HRESULT hr = doc.Pump(
        [&](const char* p, size_t n) {
            html.append(p, n);
            return true;
        },
        [&] {
            std::unique_lock<std::mutex> lock(m);
            cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return fed != seen; });
            seen = fed;
        });
    producer.join();
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(html, ConvertText(text));
}
