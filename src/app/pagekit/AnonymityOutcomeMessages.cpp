#include "app/pagekit/AnonymityOutcomeMessages.h"

namespace veilport::app {

void ShowAnonymityOutcome(const services::AnonymityOutcome& outcome,
                          proxypool::UserMessages& messages) {
    if (!outcome.message.empty()) messages.showMessage(outcome.message);
    ShowSwitchFailures(outcome.report, messages);
}

void ShowSwitchFailures(const browsers::SwitchReport& report, proxypool::UserMessages& messages) {
    if (report.allDone()) return;
    messages.showMessage("Not every setting could be switched:\n" + report.failureText());
}

}  // namespace veilport::app
