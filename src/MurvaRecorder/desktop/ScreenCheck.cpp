#include "desktop/ScreenCheck.h"

#include "capture/TargetChoice.h"
#include "log/Log.h"
#include "screen/ScreenAccess.h"
#include "settings/Settings.h"

#include <QCoroTimer>
#include <QDir>
#include <QFile>

#include <chrono>

namespace murva {

ScreenCheck::ScreenCheck(std::shared_ptr<ScreenAccess> screen, MakePorts makePorts, double captureSec)
    : screen_(std::move(screen)), makePorts_(std::move(makePorts)), captureSec_(captureSec)
{
}

bool ScreenCheck::checked() const
{
    return Settings().screenChecked();
}

QString ScreenCheck::filePath()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("murva-recorder-check.mp4"));
}

// The check object must outlive a check it runs (the model owns it for the whole run).
QCoro::Task<bool> ScreenCheck::checkScreen()
{
    if (checking_ || checked()) {
        co_return checked();
    }
    checking_ = true;
    auto capturing = captureBriefly();
    const bool passed = co_await capturing;
    QFile::remove(filePath());
    if (passed) {
        Settings().setScreenChecked(true);
        Log::write(QStringLiteral("screen: checked"));
    }
    checking_ = false;
    co_return passed;
}

// Only a refusal of the screen blocks it. On Linux the sound comes from another server
// than the picture, so a microphone or file failure says nothing about the screen: the
// check just stays undone and runs again when asked or at the next launch.
QCoro::Task<bool> ScreenCheck::captureBriefly()
{
    const Call call = noCall();
    std::optional<ChosenTarget> chosen;
    try {
        auto choosing = targetFor(screen_, call);
        chosen = co_await choosing;
    } catch (...) {
        Log::write(QStringLiteral("screen: check failed: no window or display to record"));
        screen_->block();
        co_return false;
    }

    Capture capture(filePath(), false, makePorts_());
    try {
        auto beginning = capture.begin(chosen->target, chosen->own);
        co_await beginning;
    } catch (const CaptureError &error) {
        Log::write(QStringLiteral("screen: check failed: ") + QString::fromStdString(error.what()));
        if (error.fromScreen()) {
            screen_->block();
        }
        co_return false;
    } catch (const std::exception &error) {
        Log::write(QStringLiteral("screen: check failed: ") + QString::fromStdString(error.what()));
        co_return false;
    }

    auto waiting = QCoro::sleepFor(std::chrono::milliseconds(qRound64(captureSec_ * 1000)));
    co_await waiting;
    auto ending = capture.end();
    co_await ending;
    co_return true;
}

} // namespace murva
