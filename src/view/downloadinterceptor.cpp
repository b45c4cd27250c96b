#include "view/downloadinterceptor.h"

#include <QFileInfo>
#include <QSet>

#include "view/downloadflags.h"

void CDownloadInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMedia) return;
    static const QSet<QString> kSound = {"mp3", "wav", "ogg", "oga", "mid", "midi", "wma", "m4a", "aac", "flac", "opus"};
    bool sound = kSound.contains(QFileInfo(info.requestUrl().path()).suffix().toLower());
    uint32_t flags = m_flags.load();
    if (sound ? !(flags & kDlSounds) : !(flags & kDlVideos)) info.block(true);
}
