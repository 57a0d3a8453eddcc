#pragma once

#include <QCoroTask>
#include <QObject>
#include <QString>

namespace murva {

// Finds newer builds of the recorder installed over the running one, and restarts into
// the newest. Lives on the main thread.
class UpdateSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~UpdateSource() override = default;

    // Starts looking; `ready` follows whenever a newer build can take over.
    virtual void start() = 0;

    // Whether the newest installed build starts (it answers with its version). When it
    // does not, `ready` comes again once one does.
    virtual QCoro::Task<bool> newestStarts() = 0;

    // Arranges for the newest installed build to start with this process's arguments
    // once this process has ended; false when that could not be arranged.
    virtual bool restartIntoNewest() = 0;

signals:
    void ready(const QString &version);
};

} // namespace murva
