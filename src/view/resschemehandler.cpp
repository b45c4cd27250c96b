#include "view/resschemehandler.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineUrlRequestJob>

CResSchemeHandler::CResSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {
    // Index every file below :/res by its bare name; the pages and the text
    // filter refer to pictures by name only, written in any case.
    QDirIterator it(QStringLiteral(":/res"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QString path = it.next();
        m_byLowerName.insert(QFileInfo(path).fileName().toLower(), path);
    }
}

QString CResSchemeHandler::ResourceFor(const QString& urlPath) const {
    QString name = urlPath.section(QLatin1Char('/'), -1).toLower();
    return m_byLowerName.value(name);
}

QByteArray CResSchemeHandler::MimeTypeFor(const QString& name) {
    QString ext = QFileInfo(name).suffix().toLower();
    if (ext == "htm" || ext == "html" || ext == "page") return "text/html";
    if (ext == "png") return "image/png";
    if (ext == "gif") return "image/gif";
    if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
    if (ext == "css") return "text/css";
    if (ext == "js") return "application/javascript";
    return "application/octet-stream";
}

void CResSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    QString resource = ResourceFor(job->requestUrl().path());
    if (resource.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The buffer belongs to the job: it is deleted with it.
    auto* buffer = new QBuffer(job);
    buffer->setData(file.readAll());
    buffer->open(QIODevice::ReadOnly);
    job->reply(MimeTypeFor(resource), buffer);
}
