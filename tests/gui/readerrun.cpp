#include "readerrun.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

CReaderRun::CReaderRun() {
    char pattern[] = "/tmp/pagora-gui-XXXXXX";
    m_folder = mkdtemp(pattern);
    for (const char* name : {"Pagora", "Pagora_txt.so"}) {
        fs::path from = fs::path(PAGORA_BIN_DIR) / name;
        if (fs::exists(from)) fs::copy_file(from, fs::path(m_folder) / name);
    }
}

CReaderRun::~CReaderRun() {
    std::error_code ec;
    fs::remove_all(m_folder, ec);
}

std::string CReaderRun::WriteFile(const std::string& name, const std::string& content) const {
    fs::path path = fs::path(m_folder) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

std::vector<std::string> CReaderRun::Run(const std::vector<std::string>& script, const std::vector<std::string>& args,
                                         int* exitCode, int timeoutSeconds) const {
    std::string scriptText;
    for (const std::string& line : script) scriptText += line + "\n";
    std::string scriptPath = WriteFile("script.txt", scriptText);
    // Offscreen means no X server: with a display beside the offscreen
    // platform (test.sh starts one for the tray tests) the engine reports
    // scroll positions late or not at all, a setup no reader has.
    std::string command = "cd '" + m_folder + "' && env -u DISPLAY QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen timeout " +
                          std::to_string(timeoutSeconds) + " ./Pagora --no-message-boxes --script '" + scriptPath + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>/dev/null";
    std::vector<std::string> lines;
    // One reader at a time across test processes: two starting together could
    // both choose the same free loopback port before either listens on it.
    int lockFd = ::open("/tmp/pagora-reader-gui.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (lockFd >= 0) ::flock(lockFd, LOCK_EX);
    struct Unlock {
        int fd;
        ~Unlock() {
            if (fd >= 0) ::close(fd);
        }
    } unlock{lockFd};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return lines;
    char buffer[65536];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        size_t colon = line.find(": ");
        if (colon != std::string::npos && colon > 0 && line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == colon)
            lines.push_back(line);
    }
    int status = pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return lines;
}

std::string CReaderRun::Value(const std::vector<std::string>& lines, const std::string& prefix, int nth) {
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size() + 2, prefix + ": ") == 0 && nth-- == 0) return line.substr(prefix.size() + 2);
    return {};
}

std::string CReaderRun::WaitForFileText(const std::string& path, const std::function<bool(const std::string&)>& ready,
                                        int timeoutSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::string text;
    for (;;) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
        if (ready(text) || std::chrono::steady_clock::now() > end) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string CReaderRun::IniText() const {
    std::ifstream in(fs::path(m_folder) / "Pagora.ini");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LongPage(const std::string& title) {
    std::string html = "<html><head><title>" + title + "</title></head><body>";
    for (int i = 0; i < 300; ++i) html += "<p>line " + std::to_string(i) + "</p>";
    return html + "</body></html>";
}

std::string MakeZip(const CReaderRun& run, const std::string& folder, const std::string& zipName) {
    std::string zip = run.Folder() + "/" + zipName;
    std::string command = "cd '" + run.Folder() + "/" + folder + "' && zip -q -r '" + zip + "' .";
    return std::system(command.c_str()) == 0 ? zip : std::string();
}
