#include "cli/RunningVeilport.h"

#include <charconv>
#include <ostream>

#include "platform/process/RuntimeDir.h"
#include "platform/process/SingleInstance.h"
#include "services/ExitStatus.h"

namespace veilport::cli {

std::optional<process::TopLevelWindow> FindRunningVeilport(std::ostream& err) {
    auto window = process::TopLevelWindow::find(process::kMainWindowTitle);
    if (!window) {
        const std::string problem = process::runtimeDirProblem();
        if (!problem.empty()) err << "veilportctl: " << problem << '\n';
    }
    return window;
}

std::string FormatAnswer(int status, const std::string& text) {
    return std::to_string(status) + "\n" + text;
}

int HandOver(const process::TopLevelWindow& window, const process::WindowRequest& request,
             std::ostream& out, std::ostream& err) {
    const auto answer = window.ask(request, kAnswerTimeout);
    const auto lineEnd = answer ? answer->find('\n') : std::string::npos;
    int status = 0;
    if (lineEnd != std::string::npos) {
        const auto [end, ec] = std::from_chars(answer->data(), answer->data() + lineEnd, status);
        if (ec != std::errc{} || end != answer->data() + lineEnd) status = -1;
    }
    if (lineEnd == std::string::npos || status < 0) {
        err << "veilportctl: Veilport is running but gave no answer (an older version, or it "
               "is busy)\n";
        return services::kExitNotFound;
    }
    (status == 0 ? out : err) << answer->substr(lineEnd + 1);
    return status;
}

}  // namespace veilport::cli
