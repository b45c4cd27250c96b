#pragma once
// The questions an archive reader thread puts to the user through the main window.

#include <functional>
#include <string>

// Implemented by the main window. Called on archive reader threads (usually an
// HTTP connection thread) while they hold the archive lock: the implementation
// must show the dialog on the user-interface thread and block until it is answered.
class IArchivePrompt {
public:
    virtual ~IArchivePrompt() = default;
    // kind 0: the archive password dialog in ask mode; returns 1 (OK: the
    // password table was saved and reloaded) or 2 (Cancel).
    // kind 1: the solid-archive notice; returns 0.
    virtual int AskPassword(int kind) = 0;
    // Asks the user to make the named volume available; true for OK.
    virtual bool AskInsertVolume(const std::string& volumeName) = 0;
};

// Result of AskPassword(0) that lets the password cycle go on.
inline constexpr int kArchivePromptOk = 1;

// The process-wide prompt; none set means passwords are never asked and a
// password cycle ends as if the user had cancelled.
void SetArchivePrompt(IArchivePrompt* prompt);
IArchivePrompt* ArchivePrompt();

// Receives the "%d/%d" text (listed and total entry counts) when an archive
// has been opened. An empty function removes the indicator.
void SetArchiveCountIndicator(std::function<void(const std::string&)> indicator);
// Hands `text` to the indicator, if one is set.
void ShowArchiveCount(const std::string& text);
