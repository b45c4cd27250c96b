#pragma once
// Small decisions of the view's navigation, kept free of Qt so that they are
// tested without a display.
#include <cstdint>
#include <string>
#include <vector>

namespace navrules {

// The message for a local path holding '?', or empty when the path is fine.
std::string QuestionMarkMessage(const std::string& localPath);
// The text switch: the last four characters are ".txt", any case.
bool IsTextAddress(const std::string& address);
// "res://<module>/<name>" for the program's own resources.
std::string ResourceAddress(const std::string& module, const std::string& name);
// The error page shown for an archive without a start page; the address
// follows the '#'.
std::string ErrorPageAddress(const std::string& module, const std::string& address);
// A restore target that is the built-in home page: begins with "res:" (any
// case) and ends with "Pagora_home.page".
bool IsBuiltInHome(const std::string& target);
// Whether two addresses name the same document for the scroll restore: their
// local paths are equal; two addresses without a local path count as equal.
bool SameDocument(const std::string& a, const std::string& b);
// The address bar's text: the location without the loopback base in front.
std::string AddressBarText(const std::string& location, const std::string& base);
// The window filter: the address split at blanks, ':', '/', '\\', '.', '=',
// '?', '\'' and '"'; true when a token equals a keyword, ignoring case.
bool WindowFilterRejects(const std::string& address, const std::vector<std::string>& keywords);
// The download-control flags from the six settings (non-zero = switched on).
uint32_t ComputeDownloadFlags(int noScript, int noJava, int noActiveX, int noImage, int noSound, int noVideo);

}  // namespace navrules
