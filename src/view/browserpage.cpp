#include "view/browserpage.h"

#include "view/browsercontrol.h"

CBrowserPage::CBrowserPage(QWebEngineProfile* profile, CBrowserControl* owner)
    : QWebEnginePage(profile, owner), m_owner(owner) {}

bool CBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (!isMainFrame) return true;
    return m_owner->BeforeNavigate(url, type == NavigationTypeRedirect);
}

void CBrowserPage::javaScriptAlert(const QUrl&, const QString&) {}

bool CBrowserPage::javaScriptConfirm(const QUrl&, const QString&) { return false; }

bool CBrowserPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) { return false; }

void CBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {}
