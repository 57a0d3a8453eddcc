#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace murva {

class AvatarCache;
class HomeWindow;
class Model;
class SettingsWindow;
class WelcomeWindow;

// While the tray icon cannot be seen, the app must keep a visible way in: when the icon
// goes (or was never there) and no window is open, open one. A window closed by the user
// stays closed; launching the app again reopens it.
bool needsWayIn(bool iconHidden, bool anyWindowVisible);

// The welcome, settings and home windows: each created on first show and kept.
class ShellWindows : public QObject {
    Q_OBJECT
public:
    explicit ShellWindows(Model &model, QObject *parent = nullptr);
    ~ShellWindows() override;

    void showWelcome();
    void showSettings();
    // Home when the setup is finished, else welcome.
    void showHome();
    bool anyVisible() const;
    // Opens home or welcome when the icon is hidden and nothing else is visible.
    void keepWayIn();

    // The windows once shown; none before.
    WelcomeWindow *welcome() const;
    SettingsWindow *settings() const;
    HomeWindow *home() const;

private:
    static void bringForward(QWidget *window);

    Model &model_;
    AvatarCache *avatars_;
    QPointer<WelcomeWindow> welcome_;
    QPointer<SettingsWindow> settings_;
    QPointer<HomeWindow> home_;
};

} // namespace murva
