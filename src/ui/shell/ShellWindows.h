#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace murva {

class Model;

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

private:
    QWidget *window(QPointer<QWidget> &slot, const QString &name, const QString &title, int height);
    static void bringForward(QWidget *window);

    Model &model_;
    QPointer<QWidget> welcome_;
    QPointer<QWidget> settings_;
    QPointer<QWidget> home_;
};

} // namespace murva
