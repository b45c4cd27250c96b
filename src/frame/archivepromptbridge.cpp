#include "frame/archivepromptbridge.h"

#include <QCoreApplication>
#include <QThread>

#include "settings/sidefiles.h"
#include "archive/archiveholder.h"
#include "dialogs/passworddialog.h"
#include "view/messagebox.h"

const char* const CArchivePromptBridge::kSolidNotice = "抱歉，用固实（solid）方式压缩的文件只能从第1卷打开。";

CArchivePromptBridge::CArchivePromptBridge(QWidget* window) : QObject(window), m_window(window) {
    SetArchivePrompt(this);
    SetRarEncryptedNotice(this);
    // The user-interface thread may wait for the archive lock that an asking
    // server thread holds; it answers the question while it waits, so neither
    // waits for the other.
    SetArchiveLockWaitHook([this] {
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) ServicePending(true);
    });
}

CArchivePromptBridge::~CArchivePromptBridge() {
    SetArchiveLockWaitHook({});
    SetArchivePrompt(nullptr);
    SetRarEncryptedNotice(nullptr);
    // Threads still waiting get Cancel.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shuttingDown = true;
    for (auto& request : m_queue) {
        request->result = request->kind == 0 ? 2 : 0;
        request->done = true;
    }
    m_queue.clear();
    m_answered.notify_all();
}

int CArchivePromptBridge::AskPassword(int kind) {
    auto request = std::make_shared<Request>();
    request->kind = kind == 0 ? 0 : 1;
    return Ask(request);
}

bool CArchivePromptBridge::AskInsertVolume(const std::string& volumeName) {
    auto request = std::make_shared<Request>();
    request->kind = 2;
    request->volume = volumeName;
    return Ask(request) == 1;
}

void CArchivePromptBridge::ShowEncryptedRarNotice() {
    auto request = std::make_shared<Request>();
    request->kind = 3;
    Ask(request);
}

int CArchivePromptBridge::Ask(const std::shared_ptr<Request>& request) {
    if (QThread::currentThread() == thread()) return Show(*request);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_shuttingDown) return request->kind == 0 ? 2 : 0;
        m_queue.push_back(request);
    }
    QMetaObject::invokeMethod(this, [this] { ServicePending(false); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_answered.wait(lock, [&] { return request->done; });
    return request->result;
}

void CArchivePromptBridge::ServicePending(bool fromLockWait) {
    if (readerbox::PrintsInsteadOfBoxes() && !fromLockWait) {
        // A run without boxes names the question and leaves the asking thread
        // waiting until the script answers, or until this thread needs the
        // archive lock itself (then it answers Cancel, as a user would have to).
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& request : m_queue) {
            if (request->announced) continue;
            request->announced = true;
            readerbox::Message(m_window.data(), request->kind == 0   ? "压缩文件密码管理"
                                                : request->kind == 1 ? kSolidNotice
                                                : request->kind == 3 ? kEncryptedRarText
                                                                     : "请插入包含 " + request->volume + " 的盘");
        }
        return;
    }
    for (;;) {
        std::shared_ptr<Request> request;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty()) return;
            request = m_queue.front();
            m_queue.pop_front();
        }
        int result = request->announced ? (request->kind == 0 ? 2 : 0) : Show(*request);
        std::lock_guard<std::mutex> lock(m_mutex);
        request->result = result;
        request->done = true;
        m_answered.notify_all();
    }
}

void CArchivePromptBridge::AnswerPending(int result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& request : m_queue) {
        request->result = request->kind == 0 ? result : (request->kind == 2 ? result == 1 : 0);
        request->done = true;
    }
    m_queue.clear();
    m_answered.notify_all();
}

int CArchivePromptBridge::Show(const Request& request) {
    QWidget* parent = m_window.data();
    switch (request.kind) {
    case 0: {
        if (readerbox::PrintsInsteadOfBoxes()) {
            readerbox::Message(parent, "压缩文件密码管理");
            return 2;
        }
        CPasswordDialog dialog(TheSideFiles().pwd, true, parent);
        return dialog.Run();
    }
    case 1:
        readerbox::Message(parent, kSolidNotice);
        return 0;
    case 3:
        readerbox::Message(parent, kEncryptedRarText);
        return 0;
    default: {
        std::string text = "请插入包含 " + request.volume + " 的盘并点“确定”，或点“放弃”退出。";
        return readerbox::AskOkCancel(parent, text) ? 1 : 0;
    }
    }
}
