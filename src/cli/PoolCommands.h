#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl list: the service's proxy list, or the wizard's views of it.
Command ListCommand();
// veilportctl test HOST:PORT: the tester's rows for one proxy, nothing stored.
Command TestCommand();
// veilportctl tested: the tested list as loaded from MyProxies.txt.
Command TestedCommand();
// veilportctl adopt TEXT: test a typed proxy and adopt it as the add panel does.
Command AdoptCommand();
// veilportctl update: refetch the list and re-apply anonymity, with progress.
Command UpdateCommand();

}  // namespace veilport::cli
