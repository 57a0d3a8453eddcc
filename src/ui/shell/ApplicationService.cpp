#include "shell/ApplicationService.h"

namespace murva {

bool ApplicationService::refuseWhileQuitting()
{
    if (quitting_ && calledFromDBus()) {
        sendErrorReply(quittingError, QStringLiteral("Murva Recorder is quitting"));
    }
    return quitting_;
}

void ApplicationService::Activate(const QVariantMap &)
{
    if (!refuseWhileQuitting()) {
        emit activated();
    }
}

void ApplicationService::ActivateAction(const QString &actionName, const QVariantList &, const QVariantMap &)
{
    if (!refuseWhileQuitting()) {
        emit actionActivated(actionName);
    }
}

// The app opens no files; opening it is activating it.
void ApplicationService::Open(const QStringList &, const QVariantMap &)
{
    if (!refuseWhileQuitting()) {
        emit activated();
    }
}

} // namespace murva
