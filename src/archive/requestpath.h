#pragma once
// Turns the path of an HTTP request into the name of an archive entry.

#include <string>

// Decodes a request path (the text after the leading '/' of the request
// line's path): %-escapes are undone, the query and fragment are cut off, and
// text that changed is read as UTF-8 and converted to the locale's code set
// (bytes that are not valid UTF-8 are kept as they are). A path that began
// with '/' or '\' keeps a leading '/'. Empty when the path cannot name an
// entry (it decodes to a NUL byte or is absurdly long).
std::string DecodeRequestPath(const std::string& requestPath);
