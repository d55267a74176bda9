#pragma once

#include <QPointer>
#include <QWidget>

#include "proxypool/PoolUi.h"

namespace veilport::app {

// The program's messages through its skinned message box, and the system's
// own box where a flow asks for that one.
class WindowMessages : public proxypool::UserMessages {
public:
    explicit WindowMessages(QWidget* owner) : owner_(owner) {}
    void showMessage(const std::string& text) override;
    void showSystemMessageBox(const std::string& text, const std::string& caption) override;
    // The system's question box, No focused, so Enter alone destroys nothing.
    bool askYesNo(const std::string& question) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace veilport::app
