#include "app/window/CleaningNotice.h"

#include <QMetaObject>
#include <utility>

#include "app/window/TrayDialog.h"

namespace veilport::app {

CleaningNotice::CleaningNotice(TrayDialog& window, proxypool::UserMessages& messages, Attach attach)
    : window_(window), messages_(messages), attach_(std::move(attach)) {
    if (!attach_) return;
    attach_([this](const std::vector<std::string>& lines) {
        QMetaObject::invokeMethod(
            this, [this, lines] { show(lines); }, Qt::QueuedConnection);
    });
}

CleaningNotice::~CleaningNotice() {
    if (attach_) attach_(nullptr);
}

void CleaningNotice::show(const std::vector<std::string>& lines) {
    if (lines.empty() || lines == last_) return;
    last_ = lines;
    std::string text = "The scheduled cleaning left something alone:";
    for (const auto& line : lines) text += "\n" + line;
    if (window_.iconShown() && window_.trayIcon().showNotice(QString::fromStdString(text))) return;
    messages_.showMessage(text);
}

}  // namespace veilport::app
