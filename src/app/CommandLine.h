#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace murva {

// "--self-test SECONDS PATH" and its companions: record through the real capture
// without the interface, then read the file back.
struct SelfTestOptions {
    double seconds = 0;
    QString path;
    bool soundOnly = false;     // "--sound-only": no picture track
    bool browser = false;       // "--browser": as for a Google Meet call in a browser
    bool switchTargets = false; // "--switch": from the window to a display and back
};

// The options of murva-recorder. An option is an exact argument; anything unknown is
// ignored, so that a desktop launcher adding its own arguments never stops the app.
struct CommandLine {
    bool version = false;
    bool help = false;
    bool settings = false;
    bool welcome = false;
    bool home = false;
    // "--record-now": start recording at once (handed to the running recorder if any).
    bool recordNow = false;
    std::optional<QString> previewBar;
    // "--headless": no tray icon and no windows; the log also goes to standard output,
    // and the recorder runs until it is asked to quit (SIGTERM, SIGINT).
    bool headless = false;
    // "--connect": start connecting an account at launch, in the browser.
    bool connect = false;
    bool listWindows = false;
    // Only when "--self-test" is followed by a number of seconds and a path; otherwise
    // the application starts normally.
    std::optional<SelfTestOptions> selfTest;

    static CommandLine parse(const QStringList &arguments); // arguments[0] is the program
    static QString helpText();
};

} // namespace murva
