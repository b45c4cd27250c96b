#pragma once
// CArchivePromptBridge: answers the questions of archive reader threads
// (password dialog in ask mode, solid-archive notice, missing volume) on the
// user-interface thread while the asking thread waits.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "archive/archiveprompt.h"
#include "archive/rarencryptednotice.h"

class CArchivePromptBridge : public QObject, public IArchivePrompt, public IRarEncryptedNotice {
    Q_OBJECT
public:
    // Registers itself as the process's archive prompt and lock-wait hook.
    explicit CArchivePromptBridge(QWidget* window);
    ~CArchivePromptBridge() override;

    int AskPassword(int kind) override;
    bool AskInsertVolume(const std::string& volumeName) override;
    void ShowEncryptedRarNotice() override;

    // Runs the questions that wait for this thread; called from queued
    // invocations and (with `fromLockWait`) while the user-interface thread
    // waits for the archive lock.
    void ServicePending(bool fromLockWait = false);
    // Answers every waiting question with `result` (scripted runs).
    void AnswerPending(int result);

    static const char* const kSolidNotice;

private:
    struct Request {
        int kind = 0;            // 0 password, 1 solid notice, 2 insert volume, 3 encrypted RAR
        std::string volume;
        int result = 0;
        bool done = false;
        bool announced = false;  // printed in a run without boxes
    };
    int Ask(const std::shared_ptr<Request>& request);
    int Show(const Request& request);

    QPointer<QWidget> m_window;
    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::deque<std::shared_ptr<Request>> m_queue;
    bool m_shuttingDown = false;
};
