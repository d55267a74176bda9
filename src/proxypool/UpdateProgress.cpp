#include "proxypool/UpdateProgress.h"

#include "proxypool/PoolUi.h"

namespace veilport::proxypool {

std::vector<ProgressStep> UpdateProgressSteps(UpdateOrigin origin) {
    using Kind = ProgressStep::Kind;
    std::vector<ProgressStep> steps = {
        {Kind::SetRange, 100, {}},
        {Kind::SetPosition, 20, {}},
        {Kind::Wait, kProgressPauseMs, {}},
        {Kind::RunUpdate, 0, {}},
    };
    for (int position = 40; position <= 100; position += 20) {
        steps.push_back({Kind::SetPosition, position, {}});
        steps.push_back({Kind::Wait, kProgressPauseMs, {}});
    }
    switch (origin) {
        case UpdateOrigin::UpdatePanel:
            steps.push_back({Kind::ShowMessage, 0, kProxyListUpdated});
            steps.push_back({Kind::SetPosition, 0, {}});
            break;
        case UpdateOrigin::UpdateDialog:
            break;
    }
    return steps;
}

}  // namespace veilport::proxypool
