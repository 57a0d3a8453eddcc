#include "settings/Language.h"
#include "settings/Settings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace murva;

namespace {

QStringList keysOf(const QString &code)
{
    QFile file(QStringLiteral(":/lang/%1.json").arg(code));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(code);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << qPrintable(error.errorString());
    return document.object().keys();
}

} // namespace

TEST(Language, EveryTableIsValidAndHasTheSameKeys)
{
    const QStringList english = keysOf("en");
    EXPECT_FALSE(english.isEmpty());
    for (const QString &code : Language::supported()) {
        EXPECT_EQ(keysOf(code), english) << "table " << qPrintable(code);
    }
}

TEST(Language, TheSettingChoosesTheLanguageWhenSupported)
{
    Settings settings;
    settings.setLanguage("fr");
    EXPECT_EQ(Language::current(), "fr");
    EXPECT_EQ(Language::text("stopAndSave"), QString::fromUtf8("Arrêter et enregistrer"));

    // An unsupported choice falls back (here to the system's language or English).
    settings.setLanguage("de");
    EXPECT_TRUE(Language::supported().contains(Language::current()));
    settings.setLanguage("en");
    EXPECT_EQ(Language::text("stopAndSave"), "Stop and save");
}

TEST(Language, MissingTextsFallBackToEnglishThenToTheKey)
{
    EXPECT_EQ(Language::text("error.offline", "de"), Language::text("error.offline", "en"));
    EXPECT_EQ(Language::text("noSuchKey", "fr"), "noSuchKey");
}

TEST(Language, PlaceholdersAreFilledInOrder)
{
    EXPECT_EQ(Language::fill("savesTo %@ %@", {"Ana", "Acme"}), "savesTo Ana Acme");
    EXPECT_EQ(Language::fill("%d meetings, %@", {3, "this week"}), "3 meetings, this week");
    EXPECT_EQ(Language::fill("100% sure %@", {"yes"}), "100% sure yes");
    // A missing argument leaves its placeholder; extra arguments are ignored.
    EXPECT_EQ(Language::fill("%@ and %@", {"one"}), "one and %@");
    EXPECT_EQ(Language::fill("none", {"x"}), "none");
    // An argument that itself holds a placeholder is not filled again.
    EXPECT_EQ(Language::fill("%@ %@", {"%@", "b"}), "%@ b");
}

// Each test runs in a process of its own, so this is the tables' first use: threads
// that load them together must all read whole texts.
TEST(Language, TablesFirstUsedByManyThreadsAtOnce)
{
    std::vector<std::thread> readers;
    std::atomic<int> wrong = 0;
    for (int index = 0; index < 8; ++index) {
        readers.emplace_back([&, index] {
            for (int round = 0; round < 200; ++round) {
                const bool french = (index + round) % 2 == 1;
                const QString text = Language::text("stopAndSave", french ? "fr" : "en");
                if (text != (french ? QString::fromUtf8("Arrêter et enregistrer") : QString("Stop and save"))) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread &reader : readers) {
        reader.join();
    }
    EXPECT_EQ(wrong, 0);
}
