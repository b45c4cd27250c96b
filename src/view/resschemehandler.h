#pragma once
// CResSchemeHandler: answers "res://<module>/<name>" from the program's own
// resources, matching the name without case.
#include <QHash>
#include <QString>
#include <QWebEngineUrlSchemeHandler>

class CResSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit CResSchemeHandler(QObject* parent = nullptr);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The resource path (":/res/...") for a request path, or empty when none.
    QString ResourceFor(const QString& urlPath) const;
    static QByteArray MimeTypeFor(const QString& name);

private:
    QHash<QString, QString> m_byLowerName;  // lower-case file name -> resource path
};
