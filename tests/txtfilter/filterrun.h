#pragma once
// Runs a text through a filter object the way the browser does and returns the HTML.

#include <string>

#include "scriptedprotocol.h"
#include "support/tempfolder.h"
#include "txtfilter/textswitch.h"
#include "txtfilter/xmlmimefilterpp.h"

namespace testing_txt {

using TempDir = ::TempFolder;
using testsupport::ReadFile;
using testsupport::WriteFile;

// `ini` is the text of the INI file the filter reads (none: a missing file).
// The source hands out `block` bytes per Read; the browser asks for `readSize`.
inline std::string ConvertText(const std::string& text, const std::string& ini = "", size_t block = 4096,
                               ULONG readSize = 65536) {
    TempDir dir;
    const std::string iniPath = dir.File("host.ini");
    if (!ini.empty()) WriteFile(iniPath, ini);
    txtfilter::XMLMimeFilterPP::SetIniPathForTesting(iniPath);
    txtfilter::CTextSwitch::Set(1);

    ScriptedSource source(ScriptedSource::Blocks(text, block));
    RecordingSink sink;
    txtfilter::XMLMimeFilterPP* filter = txtfilter::XMLMimeFilterPP::Create(nullptr);
    PROTOCOLFILTERDATA data{sizeof data, nullptr, &source, nullptr, 0};
    std::string html;
    if (filter->Start("x.txt", &sink, nullptr, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&data)) == S_OK) {
        std::string buffer(readSize, '\0');
        for (int guard = 0; guard < 10000000; ++guard) {
            ULONG got = 0;
            HRESULT hr = filter->Read(buffer.data(), readSize, &got);
            html.append(buffer.data(), got);
            if (hr == S_FALSE || (Failed(hr) && hr != E_PENDING)) break;
        }
    }
    filter->Terminate(0);
    filter->Release();
    txtfilter::XMLMimeFilterPP::SetIniPathForTesting("");
    return html;
}

// The HTML between the opening of the first table and the tail.
inline std::string BodyOf(const std::string& html) {
    const std::string open = "<table align=\"center\" cellspacing=\"0\"><tr><td>\r\n";
    const std::string tail = "</td></tr></table>\r\n\r\n</BODY></HTML>\r\n";
    size_t a = html.find(open);
    if (a == std::string::npos || html.size() < tail.size()) return "<no body>";
    a += open.size();
    return html.substr(a, html.size() - tail.size() - a);
}

}  // namespace testing_txt
