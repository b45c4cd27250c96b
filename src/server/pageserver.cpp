#include "server/pageserver.h"

#include "server/serverlog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace server {

namespace {

constexpr const char* kNotFound = "404 Resource not found";
constexpr const char* kNotImplemented = "501 Not Implemented";

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

CPageServer::CPageServer(Extractor extractor)
    : m_extract(std::move(extractor))
{
    static const struct {
        const char* type;
        const char* extensions;
    } kTable[] = {
        {"application/msword", "doc"},
        {"application/octet-stream", "bin dll exe"},
        {"application/pdf", "pdf"},
        {"application/pkcs7-mime", "p7c"},
        {"application/postscript", "ai eps ps"},
        {"application/vnd.fdf", "fdf"},
        {"application/x-compressed", "arj cab"},
        {"application/x-gzip", "gz"},
        {"application/x-java-class", "class"},
        {"application/x-javascript", "js"},
        {"application/x-lzh", "lzh"},
        {"application/x-ms-shortcut", "lnk"},
        {"application/x-tar", "tar"},
        {"application/x-winhelp", "hlp"},
        {"application/x-x509-ca-cert", "cert"},
        {"application/zip", "zip"},
        {"audio/aiff", "aif aifc aiff"},
        {"audio/basic", "au snd"},
        {"audio/midi", "mid rmi"},
        {"audio/mpeg", "mp3"},
        {"audio/voxware", "vox"},
        {"audio/wav", "wav"},
        {"audio/x-pn-realaudio", "ra ram"},
        {"image/bmp", "bmp"},
        {"image/gif", "gif"},
        {"image/jpeg", "jpeg jpg"},
        {"image/tiff", "tif tiff"},
        {"image/xbm", "xbm"},
        {"model/vrml", "wrl"},
        {"multipart/related", "mht"},
        {"text/css", "css"},
        {"text/html", "htm html shtml asp aspx jsp"},
        {"text/plain", "c cpp def h txt"},
        {"text/richtext", "rtx rtf"},
        {"text/x-java-source", "java"},
        {"video/mpeg", "mpeg mpg mpe"},
        {"video/msvideo", "avi"},
        {"video/quicktime", "mov qt"},
        {"wwwserver/isapi", "asa cfm dbm isa plx url cgi php wcgi"},
    };
    for (const auto& row : kTable) {
        std::string_view list = row.extensions;
        while (!list.empty()) {
            const size_t end = list.find(' ');
            m_contentTypes.emplace(std::string(list.substr(0, end)), row.type);
            list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
        }
    }
}

CPageServer::~CPageServer()
{
    // Stop while the request handling of this class still exists.
    Shutdown();
}

bool CPageServer::Launch(const std::string& defaultDocument, uint16_t port, uint32_t clientTimeoutMs)
{
    // The default document is read by connection threads; it may change only
    // while none is running.
    if (IsRunning())
        return false;
    m_defaultDocument = defaultDocument;
    return Run(port, clientTimeoutMs);
}

bool CPageServer::IsRequestComplete(const std::string& request)
{
    return request.size() >= 4 && request.compare(request.size() - 4, 4, "\r\n\r\n") == 0;
}

std::string CPageServer::ContentTypeOf(const std::string& requestPath) const
{
    const size_t dot = requestPath.rfind('.');
    if (dot == std::string::npos)
        return "text/html";
    std::string ext = requestPath.substr(dot + 1);
    for (char& c : ext)
        c = AsciiLower(c);
    const auto it = m_contentTypes.find(ext);
    return it == m_contentTypes.end() ? "text/html" : it->second;
}

std::string CPageServer::FormatHttpDate(std::time_t when)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    gmtime_r(&when, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday % 7], tm.tm_mday,
                  kMonths[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

bool CPageServer::HostIsLoopback(const std::string& request) const
{
    const std::string port = std::to_string(Port());
    std::string_view rest = request;
    // Skip the request line; every following line up to the blank one is a header.
    size_t eol = rest.find('\n');
    while (eol != std::string_view::npos) {
        rest.remove_prefix(eol + 1);
        eol = rest.find('\n');
        const std::string_view line = rest.substr(0, eol);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        if (!EqualsNoCase(Trim(line.substr(0, colon)), "host"))
            continue;
        const std::string_view value = Trim(line.substr(colon + 1));
        const size_t sep = value.rfind(':');
        if (sep == std::string_view::npos || value.substr(sep + 1) != port)
            return false;
        const std::string_view host = value.substr(0, sep);
        if (host != "127.0.0.1" && !EqualsNoCase(host, "localhost"))
            return false;
    }
    return true;
}

namespace {

// The date of the current second, formatted once per second and thread:
// every answer carries it.
const std::string& CurrentHttpDate()
{
    thread_local std::time_t s_second = -1;
    thread_local std::string s_text;
    const std::time_t now = std::time(nullptr);
    if (now != s_second) {
        s_text = CPageServer::FormatHttpDate(now);
        s_second = now;
    }
    return s_text;
}

} // namespace

std::string CPageServer::SuccessHead(size_t bodySize, const std::string& contentType)
{
    // Put together piece by piece: it is built for every answer.
    std::string head;
    head.reserve(256 + contentType.size());
    head += "HTTP/1.0 200 OK\r\nDate: ";
    head += CurrentHttpDate();
    head += "\r\nServer: ";
    head += kServerName;
    head += "\r\nAccept-Ranges: bytes\r\nContent-Length: ";
    head += std::to_string(bodySize);
    head += "\r\nConnection: close\r\nContent-Type: ";
    head += contentType;
    head += "\r\nPragma:No-cache\r\nCache-Control:no-cache\r\nExpires:0\r\n\r\n";
    return head;
}

std::string CPageServer::ErrorResponse(const char* status)
{
    const std::string& date = CurrentHttpDate();
    char text[512];
    const int len = std::snprintf(text, sizeof text,
                                  "HTTP/1.0 %s\r\nContent-Length: %d\r\nContent-Type: text/html\r\nDate: %s\r\n"
                                  "Server: %s\r\n\r\n%s",
                                  status, static_cast<int>(std::strlen(status)), date.c_str(), kServerName, status);
    return std::string(text, static_cast<size_t>(len));
}

bool CPageServer::ParseRequest(const std::string& request, std::string& response, bool& keepAlive)
{
    BodyBuffer body;
    size_t bodySize = 0;
    if (!BuildResponse(request, response, body, bodySize, keepAlive))
        return false;
    if (body)
        response.append(body.get(), bodySize);
    return true;
}

bool CPageServer::BuildResponse(const std::string& request, std::string& head, BodyBuffer& body, size_t& bodySize,
                                bool& keepAlive)
{
    keepAlive = false;
    body.reset();
    bodySize = 0;
    const size_t first = request.find(' ');
    if (first == std::string::npos) {
        ServerLog(kServerLogName, "No 'space' found in Request String #2", "ParseRequest");
        return false;
    }
    if (request.compare(0, first, "GET") != 0) {
        head = ErrorResponse(kNotImplemented);
        return true;
    }
    const size_t second = request.find(' ', first + 1);
    if (second == std::string::npos) {
        ServerLog(kServerLogName, "No 'space' found in Request String #1", "ParseRequest");
        return false;
    }
    // The path without its leading '/'.
    std::string path = second - first > 1 ? request.substr(first + 2, second - first - 2) : std::string();
    if (path.empty() || path.back() == '/')
        path += m_defaultDocument;

    // A page of another site that resolves its own name to 127.0.0.1 must not
    // read the user's books: only our own host names are answered.
    if (!HostIsLoopback(request) || !m_extract) {
        head = ErrorResponse(kNotFound);
        return true;
    }
    size_t size = 0;
    BodyBuffer entry;
    {
        // The archive holder lets one extraction run at a time anyway; its
        // lock is built for waits that run a hook and costs a busy server
        // several system calls per wait, a plain mutex far fewer.
        std::lock_guard<CAdaptiveMutex> guard(m_extractLock);
        entry.reset(m_extract(path, &size));
    }
    if (!entry) {
        head = ErrorResponse(kNotFound);
        return true;
    }
    head = SuccessHead(size, ContentTypeOf(path));
    body = std::move(entry);
    bodySize = size;
    return true;
}

} // namespace server
