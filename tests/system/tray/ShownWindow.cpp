#include "ShownWindow.h"

#include "support/PrivateServers.h"

namespace murva::test {

QString xTool(const QString &program, const QStringList &arguments)
{
    QByteArray output;
    runTool(program, arguments, &output);
    return QString::fromUtf8(output);
}

std::optional<QString> shownWindow(const QString &title, bool bar)
{
    const QString ids = xTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                          QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')});
    for (const QString &id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString type = xTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_WINDOW_TYPE")});
        if (type.contains(QLatin1String("UTILITY")) == bar) {
            return id;
        }
    }
    return std::nullopt;
}

} // namespace murva::test
