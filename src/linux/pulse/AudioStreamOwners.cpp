#include "pulse/AudioStreamOwners.h"

#include "identity/ApplicationIdentity.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace murva {
namespace {

qint64 processIDOf(const PulseStreamFacts &stream)
{
    bool isNumber = false;
    const qint64 processID = stream.processID.toLongLong(&isNumber);
    return isNumber && processID > 0 ? processID : 0;
}

bool processExists(qint64 processID, const QString &procRoot)
{
    return QFileInfo::exists(procRoot + u'/' + QString::number(processID));
}

// The streams of one program name it the same way; each is looked up in /proc once.
class IdentityLookup {
public:
    explicit IdentityLookup(const QString &procRoot) : procRoot_(procRoot) {}

    // Empty when the program has no identifier or its process has gone.
    QString identifierOf(qint64 processID, const PulseStreamFacts &stream)
    {
        const QString key = QString::number(processID) + u'\n' + stream.applicationID + u'\n' + stream.processBinary;
        auto known = identifiers_.constFind(key);
        if (known == identifiers_.constEnd()) {
            known = identifiers_.insert(key, lookUp(processID, stream));
        }
        return *known;
    }

private:
    QString lookUp(qint64 processID, const PulseStreamFacts &stream) const
    {
        const ApplicationIdentity identity =
            ApplicationIdentity::forProcess(processID, stream.applicationID, stream.processBinary, procRoot_);
        // Checked after reading, so a process that ends meanwhile is not named from a
        // half-read /proc entry or from its stream alone.
        return processExists(processID, procRoot_) ? identity.identifier : QString();
    }

    const QString &procRoot_;
    QHash<QString, QString> identifiers_;
};

} // namespace

std::vector<AudioProcess> audioProcessesOf(const std::vector<PulseStreamFacts> &streams, qint64 ownProcessID,
                                           const QString &procRoot)
{
    std::vector<AudioProcess> processes;
    IdentityLookup identities(procRoot);
    for (const PulseStreamFacts &stream : streams) {
        const qint64 processID = processIDOf(stream);
        if (processID == 0 || processID == ownProcessID) {
            continue;
        }
        const QString identifier = identities.identifierOf(processID, stream);
        if (identifier.isEmpty()) {
            continue;
        }
        auto entry = std::find_if(processes.begin(), processes.end(), [&](const AudioProcess &process) {
            return process.processID == processID && process.bundleIdentifier == identifier;
        });
        if (entry == processes.end()) {
            entry = processes.insert(processes.end(), AudioProcess{processID, identifier});
        }
        if (!stream.isCorked) {
            (stream.isRecording ? entry->isRunningInput : entry->isRunningOutput) = true;
        }
    }
    return processes;
}

} // namespace murva
