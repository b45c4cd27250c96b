#include "platform/atomicfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A symbolic link is followed so that the file it names is replaced, not the link.
std::string ResolveTarget(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buf[PATH_MAX];
        if (realpath(path.c_str(), buf)) return buf;
    }
    return path;
}

class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        m_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd >= 0) {
            int rc;
            while ((rc = flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            m_locked = rc == 0;
        }
    }
    bool Locked() const { return m_locked; }
    ~FolderLock() {
        if (m_fd >= 0) close(m_fd);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
    bool m_locked = false;
};

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    if (!ok) out.clear();
    return ok;
}

bool LockedRewrite(const std::string& path, const std::function<bool(std::string& text)>& edit) {
    if (path.empty()) return false;
    const std::string target = ResolveTarget(path);
    const std::string folder = FolderOf(target);
    FolderLock lock(folder);

    std::string text;
    struct stat st;
    const bool existed = stat(target.c_str(), &st) == 0;
    if (existed && !ReadWholeFile(target, text)) return false;  // unreadable: never overwrite it
    const std::string before = text;
    if (!edit(text)) return true;
    // Writing what the file already holds would cost a flush to disk and
    // change nothing: start-up rewrites many values with their own content.
    if (existed && text == before) return true;

    // Holding the lock, no other writer uses the fixed temporary name, and one
    // left by a writer that was killed is simply reused: none accumulate.
    // Without the lock a unique name keeps concurrent writers apart.
    std::string tmpl = target + ".tmp";
    int fd = -1;
    if (lock.Locked()) {
        fd = open(tmpl.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    } else {
        tmpl += "XXXXXX";
        fd = mkostemp(tmpl.data(), O_CLOEXEC);
    }
    if (fd < 0) return false;
    fchmod(fd, existed ? (st.st_mode & 07777) : 0644);
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok && rename(tmpl.c_str(), target.c_str()) == 0) return true;
    unlink(tmpl.c_str());
    return false;
}

}  // namespace platform
