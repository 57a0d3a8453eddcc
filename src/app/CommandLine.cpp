#include "CommandLine.h"

#include <cmath>

namespace murva {

namespace {

// The first "--self-test" decides. A length that is not a finite, non-negative number
// cannot be recorded, so it counts as no number at all.
std::optional<SelfTestOptions> parseSelfTest(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--self-test"), 1);
    if (at < 0 || at + 2 >= arguments.size()) {
        return std::nullopt;
    }
    bool isNumber = false;
    const double seconds = arguments[at + 1].toDouble(&isNumber);
    if (!isNumber || !std::isfinite(seconds) || seconds < 0) {
        return std::nullopt;
    }
    SelfTestOptions options;
    options.seconds = seconds;
    options.path = arguments[at + 2];
    options.soundOnly = arguments.contains(QStringLiteral("--sound-only"));
    options.browser = arguments.contains(QStringLiteral("--browser"));
    options.switchTargets = arguments.contains(QStringLiteral("--switch"));
    return options;
}

} // namespace

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
        } else if (argument == "--record-now") {
            options.recordNow = true;
        } else if (argument == "--headless") {
            options.headless = true;
        } else if (argument == "--connect") {
            options.connect = true;
        } else if (argument == "--list-windows") {
            options.listWindows = true;
        } else if (argument == "--preview-bar" && i + 1 < arguments.size() && !options.previewBar) {
            options.previewBar = arguments[++i];
        }
    }
    options.selfTest = parseSelfTest(arguments);
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
        "  --record-now           Start recording at once.\n"
        "  (Launched while the recorder runs, it hands --record-now, --settings or --home\n"
        "  to the running recorder, or else opens its window, and exits.)\n"
        "  --preview-bar NAME     Show a sample phase in the recording bar.\n"
        "  --headless             Run without the tray icon and windows, copying the log\n"
        "                         to standard output, until stopped (Ctrl-C, SIGTERM).\n"
        "  --connect              Connect an account at launch: the sign-in opens in the\n"
        "                         browser.\n"
        "\n"
        "Trying the recording without the interface (no window opens; exit status 0 on\n"
        "success, 1 when the recording could not start):\n"
        "  --list-windows         Print the windows that could be recorded: program,\n"
        "                         size and title, one per line.\n"
        "  --self-test SECONDS PATH\n"
        "                         Record SECONDS seconds of the microphone, the\n"
        "                         computer's sound and the screen into the MP4 file\n"
        "                         PATH, then print what the file holds.\n"
        "  --sound-only           With --self-test: record sound without the screen.\n"
        "  --browser              With --self-test: record as for a Google Meet call in a\n"
        "                         browser (its window rather than the whole screen).\n"
        "  --switch               With --self-test, when recording a window: switch to the\n"
        "                         screen after a third of the time, back after two thirds.\n"
        "\n"
        "Other arguments are ignored.\n");
}

} // namespace murva
