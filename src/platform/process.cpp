#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace platform {
namespace {

struct Spawned {
    pid_t pid = -1;
    int error = 0;
    int outFd = -1;  // read end of the child's standard output, when captured
};

Spawned Spawn(const std::vector<std::string>& argv, const std::string& workDir, bool capture) {
    Spawned s;
    if (argv.empty() || argv[0].empty()) {
        s.error = ENOENT;
        return s;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeFds[2] = {-1, -1};
    if (capture && pipe2(pipeFds, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    }
    if (!capture) posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The child starts in the program's folder only when asked (a launcher's working folder).
    std::string program = argv[0];
    if (!workDir.empty()) {
        // posix_spawn_file_actions_addchdir_np exists in glibc 2.29 and later.
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
        // A relative program name with a '/' would be looked up from the new folder.
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Signals the reader blocks or ignores are not the child's business.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    int rc = posix_spawnp(&s.pid, program.c_str(), &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    if (rc != 0) {
        s.pid = -1;
        s.error = rc;
        if (pipeFds[0] >= 0) close(pipeFds[0]);
        return s;
    }
    s.outFd = pipeFds[0];
    return s;
}

// Waits for the child, reading its output meanwhile; kills it after the timeout.
ProcessResult Finish(Spawned s, int timeoutMs) {
    ProcessResult r;
    r.started = true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        if (s.outFd >= 0) {
            pollfd p{s.outFd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char buf[4096];
                ssize_t n = read(s.outFd, buf, sizeof buf);
                if (n > 0) {
                    if (r.output.size() < (1u << 20)) r.output.append(buf, static_cast<size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    close(s.outFd);
                    s.outFd = -1;
                }
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_t done = waitpid(s.pid, &status, WNOHANG);
        if (done == s.pid) break;
        if (done < 0 && errno != EINTR) {
            status = -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(s.pid, SIGKILL);
            waitpid(s.pid, &status, 0);
            status = -1;
            break;
        }
    }
    if (s.outFd >= 0) {
        char buf[4096];
        ssize_t n;
        while ((n = read(s.outFd, buf, sizeof buf)) > 0) r.output.append(buf, static_cast<size_t>(n));
        close(s.outFd);
    }
    r.exitCode = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace

ProcessResult StartDetached(const std::vector<std::string>& argv, const std::string& workDir) {
    Spawned s = Spawn(argv, workDir, false);
    ProcessResult r;
    if (s.pid < 0) {
        r.error = s.error;
        return r;
    }
    r.started = true;
    pid_t pid = s.pid;
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return r;
}

ProcessResult RunAndWait(const std::vector<std::string>& argv, int timeoutMs) {
    Spawned s = Spawn(argv, {}, false);
    if (s.pid < 0) {
        ProcessResult r;
        r.error = s.error;
        return r;
    }
    return Finish(s, timeoutMs);
}

ProcessResult RunCapture(const std::vector<std::string>& argv, int timeoutMs) {
    Spawned s = Spawn(argv, {}, true);
    if (s.pid < 0) {
        ProcessResult r;
        r.error = s.error;
        return r;
    }
    return Finish(s, timeoutMs);
}

std::string FindProgram(const std::string& name) {
    auto runnable = [](const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
    };
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return runnable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        std::string candidate = dir + "/" + name;
        if (runnable(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

}  // namespace platform
