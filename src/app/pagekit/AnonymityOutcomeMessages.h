#pragma once

#include "browsers/SwitchReport.h"
#include "proxypool/PoolUi.h"
#include "services/Anonymity.h"

namespace veilport::app {

// Shows a person what a change of anonymity left them to know: its fixed
// message, then every target of the switch that failed (the same lines
// veilportctl prints), so that no browser is left pointing elsewhere unseen.
void ShowAnonymityOutcome(const services::AnonymityOutcome& outcome,
                          proxypool::UserMessages& messages);

// The failures of a switch alone, in one message; nothing when all was done.
void ShowSwitchFailures(const browsers::SwitchReport& report, proxypool::UserMessages& messages);

}  // namespace veilport::app
