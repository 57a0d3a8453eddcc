// The windows on the private display, driven through the model with the model's fakes.
#include "app/model/ModelFakes.h"
#include "support/TestMain.h"

#include "settings/Language.h"
#include "settings/Settings.h"
#include "shell/ShellWindows.h"
#include "style/ElidedLabel.h"
#include "style/MurvaButton.h"
#include "windows/HomeWindow.h"
#include "windows/SettingsWindow.h"
#include "windows/WelcomeWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace murva::test {

std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    // Listing the tests happens outside the private display.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return std::make_unique<QApplication>(argc, argv);
}

namespace {

template <typename T = QWidget>
T &child(QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found) {
        throw std::runtime_error("no widget named " + name.toStdString());
    }
    return *found;
}

class WindowsTest : public ::testing::TestWithParam<const char *>, protected ModelRig {
protected:
    void SetUp() override
    {
        if (!hasDesktopSession()) {
            GTEST_SKIP() << "needs the private display";
        }
        QFile::remove(Settings::standardFilePath());
        Settings settings;
        settings.setScreenChecked(true);
        settings.setLoginItemSet(true);
    }

    Model &launch()
    {
        model = std::make_unique<Model>(parts());
        model->setLanguage(QString::fromLatin1(GetParam()));
        windows = std::make_unique<ShellWindows>(*model);
        model->launch();
        return *model;
    }

    QString t(const char *key) const { return Language::text(QString::fromLatin1(key), QString::fromLatin1(GetParam())); }

    std::unique_ptr<ShellWindows> windows;
};

TEST_P(WindowsTest, WelcomeFollowsTheSignInAndItsDoneOpensHome)
{
    Model &model = launch();
    windows->showHome(); // not ready: the welcome instead
    ASSERT_TRUE(windows->welcome() && windows->welcome()->isVisible());
    EXPECT_FALSE(windows->home());
    QWidget *welcome = windows->welcome();
    QWidget &step1 = child(welcome, QStringLiteral("step1"));
    EXPECT_EQ(child<QLabel>(&step1, QStringLiteral("title")).text(), t("stepConnect"));

    auto gate = std::make_shared<Gate>();
    accounts->connectGates.push_back(gate);
    accounts->nextConnect = QStringLiteral("B");
    QTest::mouseClick(&child<MurvaButton>(&step1, QStringLiteral("button")), Qt::LeftButton);
    EXPECT_EQ(child<MurvaButton>(&step1, QStringLiteral("button")).text(), t("connecting"));
    gate->open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.ready(); }));
    EXPECT_EQ(child<QLabel>(&step1, QStringLiteral("title")).text(), t("stepConnected"));
    EXPECT_EQ(child<QLabel>(welcome, QStringLiteral("welcomeTitle")).text(), t("allSetTitle"));

    QTest::mouseClick(&child<MurvaButton>(welcome, QStringLiteral("done")), Qt::LeftButton);
    EXPECT_FALSE(welcome->isVisible());
    ASSERT_TRUE(windows->home());
    EXPECT_TRUE(windows->home()->isVisible());
}

TEST_P(WindowsTest, SettingsListAccountsAndTheAddButtonFollowsTheSignIn)
{
    launch();
    windows->showSettings();
    QWidget *settings = windows->settings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->windowTitle(), t("settingsTitle"));
    MurvaButton &add = child<MurvaButton>(settings, QStringLiteral("addAccount"));
    EXPECT_EQ(add.text(), t("addAccount"));
    EXPECT_FALSE(settings->findChild<QWidget *>(QStringLiteral("account-B")));

    auto gate = std::make_shared<Gate>();
    accounts->connectGates.push_back(gate);
    accounts->nextConnect = QStringLiteral("B");
    QTest::mouseClick(&add, Qt::LeftButton);
    EXPECT_EQ(add.text(), t("addAccountWaiting"));
    gate->open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return add.text() == t("addAccount"); }));
    QWidget *row = settings->findChild<QWidget *>(QStringLiteral("account-B"));
    ASSERT_TRUE(row);
    EXPECT_EQ(child<ElidedLabel>(row, QStringLiteral("title")).text(), QStringLiteral("Murva B"));

    QTest::mouseClick(&child<MurvaButton>(row, QStringLiteral("disconnect")), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !settings->findChild<QWidget *>(QStringLiteral("account-B")); }));
    EXPECT_TRUE(accounts->list.isEmpty());
}

TEST_P(WindowsTest, HomeShowsTheNextMeetingAndItsRecordChoice)
{
    accounts->list = {FakeAccounts::account(QStringLiteral("A"))};
    accounts->active = QStringLiteral("A");
    NextMeeting next;
    next.title = QStringLiteral("Roadmap");
    next.start = clock->now() + std::chrono::minutes(30);
    next.end = next.start + std::chrono::hours(1);
    next.link = QUrl(QStringLiteral("https://acme.zoom.us/j/1"));
    service->nextByAccount[QStringLiteral("A")] = next;
    Model &model = launch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.ready(); }));
    windows->showHome(); // which asks for the next meeting
    QWidget *home = windows->home();
    ASSERT_TRUE(home);
    ASSERT_TRUE(QTest::qWaitFor([&] { return home->findChild<QWidget *>(QStringLiteral("nextCall")); }));
    QWidget &card = child(home, QStringLiteral("nextCall"));
    EXPECT_EQ(child<ElidedLabel>(&card, QStringLiteral("title")).text(), QStringLiteral("Roadmap"));
    EXPECT_EQ(child<MurvaButton>(&card, QStringLiteral("join")).text(),
              Language::fill(t("joinOn %@"), {QStringLiteral("Zoom")}));
    EXPECT_TRUE(child<QWidget>(home, QStringLiteral("noRecordings")).isVisibleTo(home));

    QTest::mouseClick(&child<MurvaButton>(&card, QStringLiteral("recordChoice")), Qt::LeftButton);
    EXPECT_TRUE(model.skipped().contains(skipKey(next)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QWidget &redrawn = child(home, QStringLiteral("nextCall"));
    EXPECT_EQ(child<MurvaButton>(&redrawn, QStringLiteral("recordChoice")).text(), t("homeDontRecord"));
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowsTest, ::testing::Values("en", "fr"));

} // namespace
} // namespace murva::test
