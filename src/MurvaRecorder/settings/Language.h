#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace murva::Language {

// The interface languages, in order.
const QStringList &supported();

// The "language" setting when supported, else the system's first preferred language
// when supported, else "en". Read anew each time, so a change takes effect at once.
QString current();

// The text of `key` in the table of `code` ("en" for an unsupported code); the English
// text when that table lacks the key, and the key itself when no table has it.
QString text(const QString &key, const QString &code);

// The text of `key` in the current language, with its "%@" and "%d" placeholders
// filled in order from `arguments`.
QString text(const QString &key, const QVariantList &arguments = {});

// Fills "%@" (any value) and "%d" (an integer) in order; missing arguments leave the
// placeholder as it is.
QString fill(const QString &pattern, const QVariantList &arguments);

} // namespace murva::Language
