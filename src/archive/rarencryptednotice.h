#pragma once
// The notice that an encrypted RAR archive cannot be opened, behind a small interface the main window implements.

#include <string>

// The text the notice shows, in the style of the program's other messages.
inline constexpr const char* kEncryptedRarText = "抱歉，本程序无法打开加密的RAR压缩文件。";

// Implemented by the main window: shows kEncryptedRarText in an OK box.
// Called on the thread that opens the archive (the user-interface thread).
class IRarEncryptedNotice {
public:
    virtual ~IRarEncryptedNotice() = default;
    virtual void ShowEncryptedRarNotice() = 0;
};

// The process-wide notice; none set means the notice is not shown.
void SetRarEncryptedNotice(IRarEncryptedNotice* notice);
IRarEncryptedNotice* RarEncryptedNotice();
