#pragma once

#include <QByteArray>
#include <QString>

namespace murva::CallbackPage {

// The HTML page that every request gets: the template resource with "{{mode}}",
// "{{logo}}", "{{lang}}", "{{title}}", "{{closing}}" and "{{close}}" filled, in that
// order, for the redirect (`redirect`) or any other request, in `language`.
QString build(bool redirect, const QString &language);

// The language of a page: the first "lang" item of the request's query when it names a
// supported language, else the app's current language. (Only a supported code is ever
// written into the page, so the query cannot inject markup.)
QString languageFor(const QString &requestedLanguage);

// A complete HTTP/1.1 response carrying `page` with status 200, its length in UTF-8
// bytes, and "Connection: close".
QByteArray response(const QString &page);

} // namespace murva::CallbackPage
