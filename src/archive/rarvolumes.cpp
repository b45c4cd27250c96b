#include "archive/rarvolumes.h"

#include <cctype>

namespace {

// Position of the file name inside the path (after the last '/').
size_t NameStart(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string OldStyleNext(const std::string& path)
{
    size_t start = NameStart(path);
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start)
        return path + ".r00";
    std::string ext = path.substr(dot + 1);
    std::string base = path.substr(0, dot + 1);
    if (ext.size() == 3 && std::isdigit(static_cast<unsigned char>(ext[1])) &&
        std::isdigit(static_cast<unsigned char>(ext[2])) && std::isalpha(static_cast<unsigned char>(ext[0]))) {
        int number = (ext[1] - '0') * 10 + (ext[2] - '0') + 1;
        char letter = ext[0];
        if (number > 99) {
            number = 0;
            if (letter == 'z' || letter == 'Z')
                return std::string();
            ++letter;
        }
        ext = std::string(1, letter) + static_cast<char>('0' + number / 10) + static_cast<char>('0' + number % 10);
        return base + ext;
    }
    // ".rar" (in any case) is followed by ".r00" in the same case.
    bool upper = !ext.empty() && std::isupper(static_cast<unsigned char>(ext[0]));
    return base + (upper ? "R00" : "r00");
}

}  // namespace

std::string NextRarVolumeName(const std::string& path, bool newNumbering)
{
    if (path.empty())
        return std::string();
    if (!newNumbering)
        return OldStyleNext(path);
    size_t start = NameStart(path);
    size_t dot = path.rfind('.');
    size_t end = (dot == std::string::npos || dot < start) ? path.size() : dot;
    // The last group of digits before the extension.
    size_t last = end;
    while (last > start && !std::isdigit(static_cast<unsigned char>(path[last - 1])))
        --last;
    if (last == start)
        return OldStyleNext(path);
    size_t first = last;
    while (first > start && std::isdigit(static_cast<unsigned char>(path[first - 1])))
        --first;
    std::string digits = path.substr(first, last - first);
    int i = static_cast<int>(digits.size()) - 1;
    for (; i >= 0; --i) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            break;
        }
    }
    if (i < 0)
        digits.insert(digits.begin(), '1');
    return path.substr(0, first) + digits + path.substr(last);
}
