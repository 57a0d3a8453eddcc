// Relaunching starts the program again after the delay, with no shell parsing its path
// or its arguments.

#include "desktop/ShellRelauncher.h"

#include "ScratchScripts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace murva {
namespace {

TEST(ShellRelauncher, StartsTheProgramAgainAfterTheDelayWhateverItsPath)
{
    QTemporaryDir folder;
    const QString record = folder.filePath("ran");
    const QStringList arguments{QStringLiteral("--home"), QStringLiteral("two words; $HOME")};
    ShellRelauncher relauncher(test::writeRecordingScript(folder.filePath("it's $HOME; a \"program\""), record),
                               arguments, 1);
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_TRUE(relauncher.relaunchSoon());
    EXPECT_FALSE(QFile::exists(record)) << "not before the delay";
    EXPECT_EQ(test::waitForRecord(record), "--home\ntwo words; $HOME\n");
    EXPECT_GE(elapsed.elapsed(), 1000);
}

} // namespace
} // namespace murva
