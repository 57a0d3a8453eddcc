#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace murva::test {

// What the user sees of the app, read with the X tools: an X tool's output, and a
// visible window titled exactly `title`, the recording bar (a utility window) or not.
QString xTool(const QString &program, const QStringList &arguments);
std::optional<QString> shownWindow(const QString &title, bool bar = false);

} // namespace murva::test
