#include "callback/CallbackPage.h"

#include "settings/Language.h"

#include <QFile>

namespace murva::CallbackPage {
namespace {

QString resourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QString localized(const QString &key, const QString &language)
{
    return Language::text(key, language);
}

} // namespace

QString languageFor(const QString &requestedLanguage)
{
    return Language::supported().contains(requestedLanguage) ? requestedLanguage : Language::current();
}

QString build(bool redirect, const QString &language)
{
    QString page = resourceText(QStringLiteral(":/callback/Callback.html"));
    QString logo = resourceText(QStringLiteral(":/callback/MurvaLogo.svg"));
    logo.replace(QStringLiteral("<svg "), QStringLiteral("<svg class=\"logo\" "));
    const QString title = localized(redirect ? QStringLiteral("callbackDone") : QStringLiteral("callbackWrong"), language);
    const QString closing = Language::fill(localized(QStringLiteral("callbackClosing %@"), language).toHtmlEscaped(),
                                           {QStringLiteral("<span id=\"n\">5</span>")});

    page.replace(QStringLiteral("{{mode}}"), redirect ? QStringLiteral("ok") : QStringLiteral("wrong"));
    page.replace(QStringLiteral("{{logo}}"), logo);
    page.replace(QStringLiteral("{{lang}}"), language.toHtmlEscaped());
    page.replace(QStringLiteral("{{title}}"), title.toHtmlEscaped());
    page.replace(QStringLiteral("{{closing}}"), closing);
    page.replace(QStringLiteral("{{close}}"), localized(QStringLiteral("callbackClose"), language).toHtmlEscaped());
    return page;
}

QByteArray response(const QString &page)
{
    const QByteArray body = page.toUtf8();
    return QByteArrayLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: ")
        + QByteArray::number(body.size()) + QByteArrayLiteral("\r\nConnection: close\r\n\r\n") + body;
}

} // namespace murva::CallbackPage
