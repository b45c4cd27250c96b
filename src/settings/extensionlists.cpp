#include "settings/extensionlists.h"

#include <cctype>

const char* const kOpenFileFilter =
    "Supported Files|*.htm;*.html;*.shtml;*.mht;*.asp;*.aspx;*.jsp;*.txt;*.doc;*.rtf;*.pdf;*.zip;*.maff;*.rar;"
    "*.gif;*.png;*.jpg|HTML Files (*.htm;*.html;*.mht;*.shtml;*.asp;*.aspx;*.jsp)|*.htm;*.html;*.mht;*.shtml;*.asp;"
    "*.aspx;*.jsp|Text Files (*.txt)|*.txt|Doc Files (*.doc;*.rtf)|*.doc;*.rtf|PDF Files (*.pdf)|*.pdf|Archieve Files "
    "(*.zip;*.maff;*.rar)|*.zip;*.maff;*.rar|All Files (*.*)|*.*||";

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::vector<std::string> ExtensionsFromFilter(const std::string& filter, const std::string& stopToken) {
    std::vector<std::string> out;
    size_t bar = filter.find('|');
    if (bar == std::string::npos) return out;
    size_t end = filter.find('|', bar + 1);
    std::string patterns = filter.substr(bar + 1, end == std::string::npos ? std::string::npos : end - bar - 1);
    std::string token;
    auto flush = [&]() -> bool {
        if (token.empty()) return true;
        if (EqualNoCase(token, stopToken)) return false;
        out.push_back(token);
        token.clear();
        return true;
    };
    for (char c : patterns) {
        if (c == '*' || c == '.' || c == ';') {
            if (!flush()) return out;
        } else {
            token += c;
        }
    }
    flush();
    return out;
}

const std::vector<std::string>& DocumentExtensions() {
    static const std::vector<std::string> s_list = ExtensionsFromFilter(kOpenFileFilter, "zip");
    return s_list;
}

const std::vector<std::string>& HtmlExtensions() {
    static const std::vector<std::string> s_list = ExtensionsFromFilter(kOpenFileFilter, "txt");
    return s_list;
}

std::string ExtensionOf(const std::string& name) {
    size_t slash = name.find_last_of("/\\");
    size_t start = (slash == std::string::npos) ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < start) return {};
    return name.substr(dot + 1);
}

bool HasExtensionIn(const std::string& name, const std::vector<std::string>& list) {
    std::string ext = ExtensionOf(name);
    if (ext.empty()) return false;
    for (const std::string& e : list)
        if (EqualNoCase(ext, e)) return true;
    return false;
}

bool IsArchiveName(const std::string& name) {
    static const std::vector<std::string> kArchives = {"zip", "maff", "rar"};
    return HasExtensionIn(name, kArchives);
}
