// Converts a text file to the page the reader shows for it (the base tag the
// reader puts in front, then the text filter's HTML), so that the same page
// can be loaded from file:// in a bare WebEngine window. With --hints the page
// also gets the layout hints the reader puts in front of a converted text.
//   novel_html [--hints] TEXT HTML
#include <clocale>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/urlmon.h"
#include "txtfilter/filterclassfactory.h"
#include "txtfilter/filterids.h"
#include "view/tablehints.h"

using namespace platform;

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const bool hints = argc > 1 && std::string(argv[1]) == "--hints";
    if (hints) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: novel_html [--hints] TEXT HTML\n");
        return 2;
    }
    CInternetSession session;
    auto* factory = txtfilter::CFilterClassFactory::Get();
    session.RegisterMimeFilter(factory, txtfilter::CLSID_XMLMimeFilterPP, "text/plain");
    std::ofstream out(argv[2], std::ios::binary);
    const std::string address = std::string("file://") + argv[1];
    out << "<base href=\"" << address << "\">\r\n";
    if (hints) out << tablehints::HintStyle();
    bool ok = false;
    {
        auto source = CFileSourceProtocol::Create();
        CUrlmonDocument doc(source.Get(), "text/plain", argv[1], &session);
        if (!Failed(doc.Open())) {
            doc.Pump([&](const char* p, size_t n) {
                out.write(p, static_cast<std::streamsize>(n));
                return static_cast<bool>(out);
            });
            ok = static_cast<bool>(out);
        }
    }
    session.UnregisterMimeFilter(factory, "text/plain");
    factory->Release();
    if (!ok) std::fprintf(stderr, "novel_html: cannot convert %s\n", argv[1]);
    return ok ? 0 : 1;
}
