#include "update/Updater.h"

#include "log/Log.h"
#include "update/UpdateSource.h"

#include <QPointer>

namespace murva {

Updater::Updater(UpdateSource &source, std::function<ModelPhase()> currentPhase, std::function<void()> quit,
                 QObject *parent)
    : QObject(parent), source_(source), currentPhase_(std::move(currentPhase)), quit_(std::move(quit))
{
    connect(&source_, &UpdateSource::ready, this, &Updater::announce);
}

bool Updater::isFree(const ModelPhase &phase)
{
    using Kind = ModelPhase::Kind;
    return phase.is(Kind::saved) || phase.is(Kind::failed) || phase.is(Kind::idle);
}

// A newer announcement replaces an older one: the source always restarts into the newest.
void Updater::announce(const QString &version)
{
    Log::write(QStringLiteral("update %1 ready").arg(version));
    pending_ = true;
    installIfFree(currentPhase_());
}

void Updater::installIfFree(const ModelPhase &phase)
{
    if (!pending_ || installing_ || restarted_ || !isFree(phase)) {
        return;
    }
    pending_ = false; // taken, so that it runs at most once
    Log::write(QStringLiteral("installing update"));
    installing_ = true;
    install();
}

QCoro::Task<> Updater::install()
{
    const QPointer<Updater> self(this);
    const bool starts = co_await source_.newestStarts();
    if (!self) {
        co_return;
    }
    installing_ = false;
    if (!starts) {
        co_return; // the source announces again once a build starts
    }
    // A call may have begun while the new build was tried.
    if (!isFree(currentPhase_())) {
        pending_ = true;
        co_return;
    }
    if (!source_.restartIntoNewest()) {
        Log::write(QStringLiteral("update: could not start the new build; staying"));
        co_return;
    }
    restarted_ = true;
    quit_();
}

} // namespace murva
