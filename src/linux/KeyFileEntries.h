#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace murva {

// One "key=value" line of an INI file or desktop entry, with the group it lies in.
struct KeyFileEntry {
    QString group; // "Desktop Entry" for a line below "[Desktop Entry]"
    QString key;
    QString value;
};

// The entries of `text` in order; lines before any group have an empty group. Blank
// lines, comments and lines without a key are skipped; keys and values are trimmed and
// nothing is unescaped, which is all that the files read here need.
QList<KeyFileEntry> keyFileEntries(QByteArrayView text);

} // namespace murva
