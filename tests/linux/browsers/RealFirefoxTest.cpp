#include "support/Files.h"
#include "support/PrivateServers.h"
#include "support/TestMain.h"

#include "KeyFileEntries.h"
#include "browsers/BrowserTabs.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace murva;

namespace {

// Debian's Firefox in a home of its own, headless: it makes its profile where it
// chooses, as on a new user's first run.
class HeadlessFirefox {
public:
    HeadlessFirefox()
    {
        environment_.insert("HOME", home_.path());
        environment_.insert("XDG_CONFIG_HOME", configHome());
        environment_.insert("XDG_CACHE_HOME", home_.path() + "/.cache");
        environment_.remove("DISPLAY");
    }
    ~HeadlessFirefox() { quit(); }

    QString home() const { return home_.path(); }
    QString configHome() const { return home_.path() + "/.config"; }

    void open(const QString &address)
    {
        quit();
        process_.setProcessEnvironment(environment_);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.start(program(), {"--headless", "--no-remote", address});
        ASSERT_TRUE(process_.waitForStarted());
    }

    void quit()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    // The folder of the profile this install uses, once Firefox has written where.
    QString profileFolder() const
    {
        // Read afresh each time: QSettings would keep what it read of a file still being written.
        for (const QString &root : {configHome() + "/mozilla/firefox", home() + "/.mozilla/firefox"}) {
            for (const KeyFileEntry &entry : keyFileEntries(test::readFile(root + "/profiles.ini"))) {
                if (entry.group.startsWith("Install") && entry.key == "Default" && !entry.value.isEmpty()) {
                    return root + "/" + entry.value;
                }
            }
        }
        return {};
    }

    static QString program() { return QStandardPaths::findExecutable("firefox-esr"); }

private:
    QTemporaryDir home_;
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
    QProcess process_;
};

} // namespace

TEST(RealFirefox, TheAddressOfThePageItShowsIsRead)
{
    if (HeadlessFirefox::program().isEmpty()) {
        GTEST_SKIP() << "firefox-esr is not installed";
    }
    HeadlessFirefox firefox;
    firefox.open("about:blank");
    ASSERT_TRUE(test::waitFor([&] { return !firefox.profileFolder().isEmpty(); }, 60)) << "Firefox made no profile";
    firefox.quit();

    // The session is written every half second instead of every fifteen.
    ASSERT_TRUE(test::writeFile(firefox.profileFolder() + "/user.js",
                                "user_pref(\"browser.sessionstore.interval\", 500);\n"));

    QTemporaryDir pages;
    const QString page = pages.path() + "/standup.html";
    ASSERT_TRUE(test::writeFile(page, "<html><head><title>Weekly standup</title></head><body>Hello</body></html>"));
    const QString address = QUrl::fromLocalFile(page).toString();

    firefox.open(address);
    QStringList read;
    EXPECT_TRUE(test::waitFor([&] {
        read = BrowserTabs::addressesIn(firefox.home(), firefox.configHome());
        return read == QStringList{address};
    }, 60)) << "read: " << read.join(' ').toStdString();

    // Once Firefox has gone, its leftover session counts no more.
    firefox.quit();
    EXPECT_TRUE(BrowserTabs::addressesIn(firefox.home(), firefox.configHome()).isEmpty());
}
