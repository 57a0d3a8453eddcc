#include "support/AwaitTask.h"
#include "support/Files.h"
#include "support/PrivateServers.h"
#include "support/TestMain.h"

#include "browsers/BrowserTabs.h"
#include "browsers/MozLz4.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <lz4.h>

#include <fcntl.h>
#include <unistd.h>

using namespace murva;

namespace {

// A window of the session: its tabs, each a history with a current entry (1-based),
// and the selected tab (1-based).
struct Tab {
    QStringList history;
    int index;
};

QJsonObject windowOf(const std::vector<Tab> &tabs, int selected)
{
    QJsonArray tabArray;
    for (const Tab &tab : tabs) {
        QJsonArray entries;
        for (const QString &address : tab.history) {
            entries.append(QJsonObject{{"url", address}, {"title", "a page"}});
        }
        tabArray.append(QJsonObject{{"entries", entries}, {"index", tab.index}});
    }
    return QJsonObject{{"tabs", tabArray}, {"selected", selected}};
}

QByteArray sessionOf(const QJsonArray &windows)
{
    const QJsonObject closed{{"tabs", QJsonArray{}}, {"selected", 1}};
    return QJsonDocument(QJsonObject{{"version", QJsonArray{"sessionrestore", 1}},
                                     {"windows", windows},
                                     {"selectedWindow", 1},
                                     {"_closedWindows", QJsonArray{closed}}})
        .toJson(QJsonDocument::Compact);
}

// Compressed the way Firefox writes it.
QByteArray mozLz4Of(const QByteArray &plain)
{
    QByteArray block(LZ4_compressBound(int(plain.size())), Qt::Uninitialized);
    block.truncate(LZ4_compress_default(plain.constData(), block.data(), int(plain.size()), int(block.size())));
    QByteArray file("mozLz40\0", 8);
    char size[4];
    qToLittleEndian<quint32>(quint32(plain.size()), size);
    return file + QByteArray(size, 4) + block;
}

// A home folder with Firefox profiles in it, each session written by a Firefox that
// has its profile open unless said otherwise.
class FirefoxHome {
public:
    ~FirefoxHome()
    {
        for (int descriptor : locks_) {
            ::close(descriptor);
        }
    }

    QString path() const { return home_.path(); }
    QString configPath() const { return path() + "/.config"; }
    QStringList addresses() const { return BrowserTabs::addressesIn(path(), configPath()); }

    void writeIni(const QString &root, const QByteArray &text)
    {
        ASSERT_TRUE(test::writeFile(path() + '/' + root + "/profiles.ini", text));
    }
    void writeSession(const QString &profileFolder, const QByteArray &fileBytes, bool open = true)
    {
        const QString folder = QDir::isAbsolutePath(profileFolder) ? profileFolder : path() + '/' + profileFolder;
        ASSERT_TRUE(test::writeFile(folder + "/sessionstore-backups/recovery.jsonlz4", fileBytes));
        ASSERT_TRUE(test::writeFile(folder + "/.parentlock", {}));
        if (open) {
            openProfile(folder);
        }
    }

    // Locks the profile as a running Firefox does. An open-file-description lock, so
    // that this very process sees it as someone else's.
    void openProfile(const QString &folder)
    {
        const int descriptor = ::open(QFile::encodeName(folder + "/.parentlock").constData(), O_RDWR | O_CLOEXEC);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ASSERT_EQ(::fcntl(descriptor, F_OFD_SETLK, &lock), 0);
        locks_.push_back(descriptor);
    }

private:
    QTemporaryDir home_;
    std::vector<int> locks_;
};

const QString kNative = ".mozilla/firefox";

} // namespace

TEST(BrowserTabs, GivesTheSelectedTabOfEveryWindowOfEveryProfileInEveryPlace)
{
    FirefoxHome home;
    QTemporaryDir elsewhere;
    const QString xdg = ".config/mozilla/firefox";
    home.writeIni(xdg, "[General]\nStartWithLastProfile=1\n\n"
                       "[Profile1]\nName=work\nIsRelative=1\nPath=w0rk.work\n\n"
                       "[Profile0]\r\nName=default\r\nIsRelative=0\r\nPath=" + elsewhere.path().toUtf8() + "/abs\r\n"
                       "Default=1\r\n\n[Install4F96D1932A9F858E]\nDefault=w0rk.work\nLocked=1\n");
    home.writeSession(xdg + "/w0rk.work",
                      mozLz4Of(sessionOf({windowOf({{{"https://a.example/1", "https://a.example/2"}, 1},
                                                    {{"https://b.example/", "https://meet.google.com/abc-defg-hij"}, 2}},
                                                   2),
                                          windowOf({{{"about:newtab", "https://murva.app/notes"}, 2}}, 1)})));
    home.writeSession(elsewhere.path() + "/abs", mozLz4Of(sessionOf({windowOf({{{"https://c.example/"}, 1}}, 1)})));
    // The older folder lists the absolute profile again, and reaches the XDG one
    // through a link: each is read once.
    home.writeIni(kNative, "[Profile0]\nIsRelative=0\nPath=" + elsewhere.path().toUtf8() + "/abs\n"
                           "[Profile1]\nIsRelative=1\nPath=linked\n[Profile2]\nIsRelative=1\nPath=old\n");
    ASSERT_TRUE(QFile::link(home.path() + "/" + xdg + "/w0rk.work", home.path() + "/" + kNative + "/linked"));
    home.writeSession(kNative + "/old", mozLz4Of(sessionOf({windowOf({{{"https://old.example/"}, 1}}, 1)})));
    for (const auto &[root, address] : {std::pair{".var/app/org.mozilla.firefox/config/mozilla/firefox", "d"},
                                        {"snap/firefox/common/.config/mozilla/firefox", "e"},
                                        {".var/app/org.mozilla.firefox/.mozilla/firefox", "f"},
                                        {"snap/firefox/common/.mozilla/firefox", "g"}}) {
        home.writeIni(root, "[Profile0]\nIsRelative=1\nPath=p.default\n");
        home.writeSession(QString(root) + "/p.default",
                          mozLz4Of(sessionOf({windowOf({{{QString("https://%1.example/").arg(address)}, 1}}, 1)})));
    }

    const QStringList expected{"https://meet.google.com/abc-defg-hij", "https://murva.app/notes",
                               "https://c.example/", "https://d.example/", "https://e.example/",
                               "https://old.example/", "https://f.example/", "https://g.example/"};
    EXPECT_EQ(home.addresses(), expected);

    // Read on a thread of its own from the user's home and config folder.
    const test::ScopedEnv homeVariable("HOME", home.path().toUtf8());
    const test::ScopedEnv configVariable("XDG_CONFIG_HOME", home.configPath().toUtf8());
    EXPECT_EQ(test::await(BrowserTabs::addresses()), expected);
}

TEST(BrowserTabs, FollowsFirefoxWhenATabsHistoryPositionIsMissingOrTooFar)
{
    FirefoxHome home;
    home.writeIni(kNative, "[Profile0]\nIsRelative=1\nPath=p\n");
    QJsonObject noIndex = windowOf({{{"https://old.example/", "https://new.example/"}, 0}}, 1);
    QJsonObject pastTheEnd = windowOf({{{"https://only.example/"}, 7}}, 1);
    QJsonObject selectedPastTheTabs = windowOf({{{"https://lost.example/"}, 1}}, 3);
    QJsonObject noTabs = windowOf({}, 1);
    home.writeSession(kNative + "/p", mozLz4Of(sessionOf({noIndex, pastTheEnd, selectedPastTheTabs, noTabs})));
    EXPECT_EQ(home.addresses(), (QStringList{"https://new.example/", "https://only.example/"}));
}

// Each damaged profile gives nothing; the others still give theirs.
TEST(BrowserTabs, DamagedOrMissingFilesGiveNothing)
{
    FirefoxHome home;
    home.writeIni(kNative, "[Profile0]\nIsRelative=1\nPath=good\n"
                           "[Profile1]\nIsRelative=1\nPath=cut\n"
                           "[Profile2]\nIsRelative=1\nPath=garbled\n"
                           "[Profile3]\nIsRelative=1\nPath=boastful\n"
                           "[Profile4]\nIsRelative=1\nPath=plain\n"
                           "[Profile5]\nIsRelative=1\nPath=notjson\n"
                           "[Profile6]\nIsRelative=1\nPath=nofile\n"
                           "[Profile7]\nIsRelative=1\nPath=\n"
                           "[Profile8]\nIsRelative=0\nPath=relative/but/not/said/so\n");
    const QByteArray good = mozLz4Of(sessionOf({windowOf({{{"https://good.example/"}, 1}}, 1)}));
    home.writeSession(kNative + "/good", good);
    home.writeSession(kNative + "/cut", good.left(good.size() - 5));
    QByteArray garbled = good;
    for (qsizetype at = 12; at < garbled.size(); at += 3) {
        garbled[at] = char(0xff);
    }
    home.writeSession(kNative + "/garbled", garbled);
    QByteArray boastful = good;
    qToLittleEndian<quint32>(0xfffffff0u, boastful.data() + 8); // far past the limit
    home.writeSession(kNative + "/boastful", boastful);
    home.writeSession(kNative + "/plain", sessionOf({windowOf({{{"https://plain.example/"}, 1}}, 1)}));
    home.writeSession(kNative + "/notjson", mozLz4Of("{\"windows\": [ {\"tabs\": "));
    ASSERT_TRUE(test::writeFile(home.path() + '/' + kNative + "/nofile/.parentlock", {}));
    home.openProfile(home.path() + '/' + kNative + "/nofile");

    EXPECT_EQ(home.addresses(), QStringList{"https://good.example/"});
    EXPECT_FALSE(MozLz4::decode(QByteArrayView(good).first(11), BrowserTabs::kMaxSessionBytes));
    EXPECT_FALSE(MozLz4::decode(good, 16)); // more than the caller allows
}

// With session restore on, the file stays after Firefox quits; those windows are gone.
TEST(BrowserTabs, OnlyProfilesThatAFirefoxHasOpenCount)
{
    FirefoxHome home;
    home.writeIni(kNative, "[Profile0]\nIsRelative=1\nPath=closed\n[Profile1]\nIsRelative=1\nPath=neverlocked\n");
    home.writeSession(kNative + "/closed", mozLz4Of(sessionOf({windowOf({{{"https://closed.example/"}, 1}}, 1)})),
                      false);
    home.writeSession(kNative + "/neverlocked",
                      mozLz4Of(sessionOf({windowOf({{{"https://never.example/"}, 1}}, 1)})), false);
    QFile::remove(home.path() + '/' + kNative + "/neverlocked/.parentlock");
    EXPECT_TRUE(home.addresses().isEmpty());

    home.openProfile(home.path() + '/' + kNative + "/closed");
    EXPECT_EQ(home.addresses(), QStringList{"https://closed.example/"});
}

TEST(BrowserTabs, NoProfilesWithoutAReadableProfilesIni)
{
    FirefoxHome home;
    // A folder where the file should be cannot be read as one, even by root.
    QDir().mkpath(home.path() + '/' + kNative + "/profiles.ini");
    home.writeSession(kNative + "/p", mozLz4Of(sessionOf({windowOf({{{"https://x.example/"}, 1}}, 1)})));
    EXPECT_TRUE(home.addresses().isEmpty());

    FirefoxHome empty;
    EXPECT_TRUE(empty.addresses().isEmpty());
}
