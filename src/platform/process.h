#pragma once
// Starting outside programs (openers, browsers, viewers, helper tools) by
// argument list, without a shell, and telling why a start failed.
#include <string>
#include <vector>

namespace platform {

struct ProcessResult {
    bool started = false;  // the program was found and executed
    int error = 0;         // errno of the failed start (ENOENT, EACCES, ENOEXEC, ...)
    int exitCode = -1;     // exit status of a program waited for; -1 when killed or not waited
    std::string output;    // what it wrote to standard output (RunCapture only)
};

// Starts argv[0] (looked up in PATH when it has no '/') in `workDir` (empty:
// the current folder) and does not wait; a thread reaps it when it ends.
ProcessResult StartDetached(const std::vector<std::string>& argv, const std::string& workDir = {});
// Starts it and waits until it ends; killed after `timeoutMs` (exitCode -1 then).
ProcessResult RunAndWait(const std::vector<std::string>& argv, int timeoutMs = 20000);
// Like RunAndWait, keeping what it writes to standard output.
ProcessResult RunCapture(const std::vector<std::string>& argv, int timeoutMs = 20000);
// The full path of a program found in PATH (or the path itself when it holds
// a '/' and is executable); empty when there is none.
std::string FindProgram(const std::string& name);

}  // namespace platform
