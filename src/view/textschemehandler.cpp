#include "view/textschemehandler.h"

#include <QCoreApplication>
#include <QPointer>
#include <QUrl>
#include <QWebEngineUrlRequestJob>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "platform/codepage.h"
#include "platform/urlmondocument.h"
#include "platform/urlmonfilesource.h"
#include "platform/urlmonsession.h"
#include "platform/urlmonstreamsource.h"
#include "view/httpfetch.h"
#include "view/longlines.h"
#include "view/tablehints.h"
#include "view/textencodingchoices.h"
#include "view/textpagecache.h"
#include "view/textlayoutstore.h"
#include "view/textreplydevice.h"
#include "view/textroute.h"

namespace {

using Stream = CTextReplyDevice::Stream;

std::atomic<int> s_workers{0};
// Answers the job on the user-interface thread: a type and the device, a
// file to go to instead (`redirect`), or a failure (neither).
using Replier = std::function<void(const std::string& type, const std::string& redirect)>;
using Sink = std::function<bool(const char*, size_t)>;

// Writes the converted page of a text to `write`.
void ConvertPage(platform::CUrlmonDocument& doc, const std::string& original, int part, const Sink& write,
                 const std::function<void()>& wait) {
    // Ahead of the converted page: its address as the base for relative
    // links, and the layout hints that spare the engine from laying out the
    // tables of a long text that are off screen.
    std::string head = CTextSchemeHandler::BaseTag(original) + tablehints::HintStyle();
    if (!write(head.data(), head.size())) return;
    // Each part of a very long text keeps its own table heights.
    tablehints::CTableHintWriter hints(CTextLayoutStore::Program().Load(textroute::WithPart(original, part)));
    std::string rewritten;
    auto put = [&](const std::string& piece, bool last) {
        rewritten.clear();
        hints.Feed(piece.data(), piece.size(), rewritten);
        if (last) hints.Finish(rewritten);
        return rewritten.empty() || write(rewritten.data(), rewritten.size());
    };
    // The engine cannot hold a page of a whole long novel (its renderer died
    // at about 122 MB, and a page ends at 2^25 pixels): the text is shown in
    // parts that link to each other.
    textroute::CTextPartCutter cutter(part, textroute::PartBytes(),
                                      textroute::PartStartNotice(part, textroute::WithPart(original, part - 1)),
                                      textroute::PartEndNotice(part, textroute::WithPart(original, part + 1)),
                                      textroute::MissingPartNotice(part, textroute::WithPart(original, 1)));
    // A text without line breaks would be one table as long as the text.
    longlines::CLongLineSplitter lines = longlines::CLongLineSplitter::ForLocale();
    std::string split, piece;
    bool recorded = false;
    doc.Pump(
        [&](const char* p, size_t n) {
            // The status bar names the encoding as soon as the filter decided it.
            if (!recorded && !doc.TextEncoding().empty()) {
                textencoding::RecordUsed(original, doc.TextEncoding());
                recorded = true;
            }
            split.clear();
            lines.Feed(p, n, split);
            piece.clear();
            const bool more = cutter.Feed(split.data(), split.size(), piece);
            return put(piece, !more) && more;
        },
        wait);
    if (!cutter.Ended()) {
        piece.clear();
        cutter.Finish(piece);
        put(piece, true);
    }
    if (!recorded) textencoding::RecordUsed(original, doc.TextEncoding());
}

void PumpDocument(platform::CUrlmonDocument& doc, const std::string& original, int part,
                  const std::shared_ptr<Stream>& stream, const Replier& reply, const std::function<void()>& wait) {
    bool converted = doc.Filtered();
    reply(CTextSchemeHandler::ReplyType(converted), {});
    if (!converted) {
        doc.Pump([&](const char* p, size_t n) { return stream->Write(p, n); }, wait);
        textencoding::RecordUsed(original, doc.TextEncoding());
        return;
    }
    ConvertPage(doc, original, part, [&](const char* p, size_t n) { return stream->Write(p, n); }, wait);
}

// Converts a local text into a file of the page cache; its path, or empty
// when the file could not be written (the caller then streams the page).
std::string ConvertToCacheFile(platform::CUrlmonDocument& doc, const std::string& privateAddress,
                               const std::string& original, int part) {
    static std::atomic<unsigned> s_serial{0};
    const std::string path = textpagecache::FileFor(privateAddress);
    if (path.empty()) return {};
    // Written under a name of its own and renamed when complete, so that a
    // second load of the same text never reads a half-written page.
    const std::string temp =
        path.substr(0, path.size() - 5) + ".w" + std::to_string(s_serial.fetch_add(1)) + ".html";
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return {};
    // A file has no header to name its code set: the page names it first.
    const std::string charset = "<meta charset=\"" + platform::AnsiCodeSet() + "\">\r\n";
    bool ok = std::fwrite(charset.data(), 1, charset.size(), file) == charset.size();
    ConvertPage(
        doc, original, part,
        [&](const char* p, size_t n) {
            ok = ok && std::fwrite(p, 1, n, file) == n;
            return ok;
        },
        nullptr);
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return {};
    }
    return path;
}

void ServeFile(const std::string& privateAddress, const std::string& original, int part, const std::string& encoding,
               const std::shared_ptr<Stream>& stream, const Replier& reply) {
    auto source = platform::CFileSourceProtocol::Create();
    platform::CUrlmonDocument doc(source.Get(), "text/plain", original);
    doc.SetTextEncoding(encoding);
    if (platform::Failed(doc.Open())) {
        reply({}, {});
        return;
    }
    if (doc.Filtered()) {
        // The engine reads a file much faster than this handler's stream.
        const std::string path = ConvertToCacheFile(doc, privateAddress, original, part);
        if (!path.empty()) {
            reply({}, path);
            return;
        }
        // No cache: the text is converted again, into the stream.
        auto again = platform::CFileSourceProtocol::Create();
        platform::CUrlmonDocument streamed(again.Get(), "text/plain", original);
        streamed.SetTextEncoding(encoding);
        if (platform::Failed(streamed.Open())) {
            reply({}, {});
            return;
        }
        PumpDocument(streamed, original, part, stream, reply, nullptr);
        return;
    }
    PumpDocument(doc, original, part, stream, reply, nullptr);
}

void ServeHttp(const std::string& original, int part, const std::string& encoding, const std::shared_ptr<Stream>& stream,
               const Replier& reply) {
    CHttpFetch fetch;
    fetch.SetCancelCheck([stream] { return stream->Closed(); });
    CHttpFetch::Head head;
    if (!fetch.Open(original) || !fetch.ReadHead(&head)) {
        reply({}, {});
        return;
    }
    if (CHttpFetch::MediaType(head.contentType) != "text/plain") {
        // Not plain text after all (a not-found page, an HTML entry): passed on as it is.
        reply(head.contentType.empty() ? "application/octet-stream" : head.contentType, {});
        fetch.ReadBody([&](const char* p, size_t n) { return stream->Write(p, n); });
        return;
    }
    auto source = platform::CStreamSourceProtocol::Create();
    platform::CUrlmonDocument doc(source.Get(), "text/plain", original);
    doc.SetTextEncoding(encoding);
    // The body is read on this thread between pulls: whenever the document
    // waits for its source, the next piece of the body is fed to it.
    bool bodyDone = false;
    std::string piece;
    auto feed = [&] {
        if (bodyDone) return;
        bool more = false;
        bool ok = fetch.ReadBody([&](const char* p, size_t n) {
            source->Append(std::string_view(p, n));
            more = true;
            return false;  // one piece at a time
        });
        if (!more) {
            bodyDone = true;
            source->Finish(ok ? platform::S_OK : platform::INET_E_DOWNLOAD_FAILURE);
        }
    };
    feed();
    if (platform::Failed(doc.Open())) {
        reply({}, {});
        return;
    }
    PumpDocument(doc, original, part, stream, reply, feed);
}

}  // namespace

bool CTextSchemeHandler::WaitForWorkers(int timeoutMs) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (s_workers.load() > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return s_workers.load() == 0;
}

bool CTextSchemeHandler::FilterAvailable() {
    return platform::CInternetSession::Process().HasMimeFilter("text/plain");
}

std::string CTextSchemeHandler::ReplyType(bool converted) {
    // Naming the charset keeps the engine's own detection from garbling the page.
    return std::string(converted ? "text/html" : "text/plain") + "; charset=" + platform::AnsiCodeSet();
}

std::string CTextSchemeHandler::BaseTag(const std::string& originalAddress) {
    std::string escaped;
    for (char c : originalAddress) {
        if (c == '"') escaped += "%22";
        else if (c == '<') escaped += "%3C";
        else if (c == '>') escaped += "%3E";
        else escaped += c;
    }
    return "<base href=\"" + escaped + "\">\r\n";
}

void CTextSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const std::string requested = job->requestUrl().toString(QUrl::FullyEncoded).toStdString();
    const std::string original = textroute::ToOriginal(requested);
    const int part = textroute::PartOf(requested);
    auto* device = new CTextReplyDevice();
    // The engine does not delete the device: it goes with the job.
    connect(job, &QObject::destroyed, device, &QObject::deleteLater);
    std::shared_ptr<Stream> stream = device->SharedStream();
    QPointer<QWebEngineUrlRequestJob> guard(job);
    QObject* context = this;
    Replier reply = [guard, device, context](const std::string& type, const std::string& redirect) {
        QByteArray mime = QByteArray::fromStdString(type);
        QString file = QString::fromStdString(redirect);
        QMetaObject::invokeMethod(
            context,
            [guard, device, mime, file] {
                if (!guard) return;
                if (!file.isEmpty()) guard->redirect(QUrl::fromLocalFile(file));
                else if (mime.isEmpty()) guard->fail(QWebEngineUrlRequestJob::UrlNotFound);
                else guard->reply(mime, device);
            },
            Qt::QueuedConnection);
    };
    const bool local = original.rfind("file:", 0) == 0;
    // The encoding the reader chose for this text, if any (read here: the
    // key names the open archive).
    const std::string encoding = CTextEncodingChoices::Program().Chosen(textencoding::KeyFor(original));
    // The conversion runs on a thread of its own so that the first screen
    // shows while the rest of a long text is still being converted.
    ++s_workers;
    std::thread([requested, original, part, encoding, stream, reply, local] {
        if (local) ServeFile(requested, original, part, encoding, stream, reply);
        else ServeHttp(original, part, encoding, stream, reply);
        stream->Finish();
        --s_workers;
    }).detach();
}
