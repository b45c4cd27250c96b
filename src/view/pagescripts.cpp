#include "view/pagescripts.h"

#include <QFile>
#include <QHash>

QString PageScript(const char* name) {
    // Only the GUI thread runs page scripts: the cache needs no lock.
    static QHash<QString, QString> loaded;
    const QString key = QString::fromLatin1(name);
    auto it = loaded.constFind(key);
    if (it != loaded.constEnd()) return *it;
    QFile file(QStringLiteral(":/pagescripts/%1.js").arg(key));
    if (!file.open(QIODevice::ReadOnly)) qFatal("page script %s is not among the resources", name);
    QString text = QString::fromUtf8(file.readAll());
    // A file ends with a line break; the script sent to the page does not.
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return *loaded.insert(key, text);
}
