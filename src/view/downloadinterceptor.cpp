#include "view/downloadinterceptor.h"

#include <QFileInfo>
#include <QSet>

#include "view/downloadflags.h"

void CDownloadInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const uint32_t flags = m_flags.load();
    switch (info.resourceType()) {
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
        // The engine's own switch holds pictures back only while it lays the
        // page out; a picture a script or a style asks for comes here.
        if (!(flags & kDlImages)) info.block(true);
        return;
    case QWebEngineUrlRequestInfo::ResourceTypeMedia: {
        static const QSet<QString> kSound = {"mp3", "wav", "ogg", "oga", "mid", "midi", "wma",
                                             "m4a", "aac", "flac", "opus"};
        const bool sound = kSound.contains(QFileInfo(info.requestUrl().path()).suffix().toLower());
        if (sound ? !(flags & kDlSounds) : !(flags & kDlVideos)) info.block(true);
        return;
    }
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
    case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
        if (flags & (kDlNoActiveX | kDlNoJava)) info.block(true);
        return;
    default: return;
    }
}
