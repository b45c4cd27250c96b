#pragma once
// CTextSchemeHandler: serves the private text scheme. It fetches the original
// document (a local file or an http address), runs plain text through the
// MIME filter registered in the process's session and streams the result.
#include <QWebEngineUrlSchemeHandler>

#include <string>

class CTextSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // Whether a filter for "text/plain" is registered in the session, that
    // is, whether text should take this road at all.
    static bool FilterAvailable();
    // The reply type for converted or plain text in the locale's code set.
    static std::string ReplyType(bool converted);
    // What is put in front of a converted page so that its relative
    // references resolve against the original address.
    static std::string BaseTag(const std::string& originalAddress);

    // Waits up to `timeoutMs` for conversions still running (shutdown, before
    // the filter library is unloaded); true when none is left.
    static bool WaitForWorkers(int timeoutMs);
};
