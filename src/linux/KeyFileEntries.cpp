#include "KeyFileEntries.h"

namespace murva {

QList<KeyFileEntry> keyFileEntries(QByteArrayView text)
{
    QList<KeyFileEntry> entries;
    QString group;
    for (const QByteArray &rawLine : text.toByteArray().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            group = line.endsWith(u']') ? line.mid(1, line.size() - 2) : QString();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.startsWith(u'#')) {
            continue;
        }
        entries.append({group, line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return entries;
}

} // namespace murva
