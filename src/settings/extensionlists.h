#pragma once
// The document and HTML extension lists, built from the open dialog's filter text.

#include <string>
#include <vector>

// The open dialog's filter text ("Supported Files|*.htm;...|All Files (*.*)|*.*||").
extern const char* const kOpenFileFilter;

// "htm" "html" "shtml" "mht" "asp" "aspx" "jsp" "txt" "doc" "rtf" "pdf".
const std::vector<std::string>& DocumentExtensions();
// The first seven of them, the HTML kinds.
const std::vector<std::string>& HtmlExtensions();

// Splits the pattern list after "Supported Files|" at '*', '.' and ';' and
// returns the tokens before `stopToken` (e.g. "zip" or "txt").
std::vector<std::string> ExtensionsFromFilter(const std::string& filter, const std::string& stopToken);

// Text after the last '.' of the name's last component; empty when none.
std::string ExtensionOf(const std::string& name);
// Whether the name's extension is in the list, ignoring case.
bool HasExtensionIn(const std::string& name, const std::vector<std::string>& list);

// Whether the name ends in ".zip", ".maff" or ".rar" (ASCII case ignored):
// the kinds of archive the reader opens.
bool IsArchiveName(const std::string& name);
