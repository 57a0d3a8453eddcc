#include "windows/WelcomeSteps.h"

#include "model/Model.h"
#include "settings/Language.h"

namespace murva {
namespace {

QString t(const char *key, const QVariantList &arguments = {})
{
    return Language::text(QString::fromLatin1(key), arguments);
}

StepRow connectStep(const WelcomeState &state)
{
    StepRow row;
    row.number = 1;
    row.title = t(state.signedIn ? "stepConnected" : "stepConnect");
    if (!state.me) {
        row.detail = t("stepConnectBody");
    } else {
        const QString name = state.me->you.value_or(state.me->email.value_or(QString()));
        row.detail = t("savesTo %@ %@", {name, state.me->app});
    }
    row.done = state.signedIn;
    row.next = true;
    row.button = t(state.connecting ? "connecting" : "connectShort");
    row.action = StepAction::connect;
    return row;
}

StepRow micStep(const WelcomeState &state)
{
    StepRow row;
    row.number = 2;
    row.title = t(state.micAllowed ? "stepMicDone" : "stepMic");
    if (!state.micAllowed) {
        row.detail = t("stepMicBody");
    }
    row.done = state.micAllowed;
    row.next = state.signedIn;
    row.button = t("allow");
    row.action = StepAction::allowMicrophone;
    return row;
}

StepRow screenStep(const WelcomeState &state)
{
    StepRow row;
    row.number = 3;
    row.done = state.screenAllowed && state.screenChecked;
    row.title = t(row.done ? "stepScreenDone" : "stepScreen");
    row.next = state.signedIn && state.micAllowed;
    if (!state.screenAllowed) {
        row.detail = t("stepScreenWayland");
        return row;
    }
    if (!row.done) {
        row.detail = t("stepScreenCheckBody");
    }
    row.button = t(state.checkingScreen ? "checking" : "allow");
    row.action = StepAction::allowScreen;
    return row;
}

} // namespace

WelcomeState WelcomeState::of(const Model &model)
{
    WelcomeState state;
    state.ready = model.ready();
    state.signedIn = model.signedIn();
    state.connecting = model.connecting();
    state.me = model.me();
    state.micAllowed = model.micAllowed();
    state.screenAllowed = model.screenAllowed();
    state.screenChecked = model.screenChecked();
    state.checkingScreen = model.checkingScreen();
    state.iconHidden = model.iconHidden();
    state.language = model.language();
    return state;
}

std::array<StepRow, 3> welcomeSteps(const WelcomeState &state)
{
    return {connectStep(state), micStep(state), screenStep(state)};
}

} // namespace murva
