#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace murva {

// The options of murva-recorder. An option is an exact argument; anything unknown is
// ignored, so that a desktop launcher adding its own arguments never stops the app.
struct CommandLine {
    bool version = false;
    bool help = false;
    bool settings = false;
    bool welcome = false;
    bool home = false;
    std::optional<QString> previewBar;

    static CommandLine parse(const QStringList &arguments); // arguments[0] is the program
    static QString helpText();
};

} // namespace murva
