#include "CommandLine.h"

namespace murva {

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == "--version") {
            options.version = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--settings") {
            options.settings = true;
        } else if (argument == "--welcome") {
            options.welcome = true;
        } else if (argument == "--home") {
            options.home = true;
        } else if (argument == "--preview-bar" && i + 1 < arguments.size() && !options.previewBar) {
            options.previewBar = arguments[++i];
        }
    }
    return options;
}

QString CommandLine::helpText()
{
    return QStringLiteral(
        "Usage: murva-recorder [options]\n"
        "\n"
        "Records your calls and saves them to your meeting notes.\n"
        "\n"
        "Options:\n"
        "  --help                 Show this text and exit.\n"
        "  --version              Show the version and exit.\n"
        "  --settings             Open the settings window at launch.\n"
        "  --welcome              Open the welcome window at launch.\n"
        "  --home                 Open the home window 3 seconds after launch.\n"
        "  --preview-bar NAME     Show a sample phase in the recording bar.\n"
        "\n"
        "Other arguments are ignored.\n");
}

} // namespace murva
