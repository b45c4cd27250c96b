#pragma once
// CBrowserPage: the WebEngine page behind CBrowserControl; it routes
// navigation requests to the control and keeps page dialogs from showing.
#include <QWebEnginePage>

class CBrowserControl;

class CBrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    CBrowserPage(QWebEngineProfile* profile, CBrowserControl* owner);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // Pages cannot open message boxes: every dialog counts as shown.
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    // Script errors are never shown.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;

private:
    CBrowserControl* m_owner;
};
