#pragma once

#include "model/ModelPhase.h"

#include <QCoroTask>
#include <QObject>

#include <functional>

namespace murva {

class UpdateSource;

// Applies an installed update by restarting into it, but only while the recorder is free
// (no call being offered, recorded or saved): at most once, into the newest build.
// Main thread.
class Updater : public QObject {
    Q_OBJECT
public:
    // `currentPhase` reads the model's phase; `quit` ends this process through the
    // app's normal quit path once the new build is arranged to start.
    Updater(UpdateSource &source, std::function<ModelPhase()> currentPhase, std::function<void()> quit,
            QObject *parent = nullptr);

    // Every phase the model publishes comes through here.
    void installIfFree(const ModelPhase &phase);

    static bool isFree(const ModelPhase &phase);

private:
    void announce(const QString &version);
    QCoro::Task<> install();

    UpdateSource &source_;
    std::function<ModelPhase()> currentPhase_;
    std::function<void()> quit_;
    bool pending_ = false;
    bool installing_ = false;
    bool restarted_ = false;
};

} // namespace murva
