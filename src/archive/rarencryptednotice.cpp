#include "archive/rarencryptednotice.h"

#include <atomic>

namespace {
std::atomic<IRarEncryptedNotice*> s_notice{nullptr};
}  // namespace

void SetRarEncryptedNotice(IRarEncryptedNotice* notice) { s_notice.store(notice); }

IRarEncryptedNotice* RarEncryptedNotice() { return s_notice.load(); }
