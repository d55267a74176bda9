#include "platform/secret/KeptPasswords.h"

#include <tuple>

namespace veilport::secret {

bool KeptPasswords::KeyLess::operator()(const PasswordKey& a, const PasswordKey& b) const {
    return std::tie(a.scheme, a.user, a.host, a.port) < std::tie(b.scheme, b.user, b.host, b.port);
}

KeptPasswords::KeptPasswords(std::unique_ptr<PasswordStore> desktop)
    : desktop_(std::move(desktop)), desktopFailed_(desktop_ == nullptr) {}

bool KeptPasswords::store(const PasswordKey& key, std::string_view password) {
    NoticeListener tell;
    {
        std::lock_guard lock(mutex_);
        // The session copy spares a D-Bus round trip on every use, and keeps the
        // login working when the desktop store goes away meanwhile.
        session_[key] = std::string(password);
        if (desktop_ && !desktopFailed_ && !desktop_->store(key, password)) desktopFailed_ = true;
        if (desktopFailed_ && !noticeGiven_ && listener_) {
            noticeGiven_ = true;
            tell = listener_;
        }
    }
    if (tell) tell(kNoDesktopStore);
    return true;
}

void KeptPasswords::setNoticeListener(NoticeListener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

std::optional<std::string> KeptPasswords::lookup(const PasswordKey& key) {
    std::lock_guard lock(mutex_);
    if (const auto kept = session_.find(key); kept != session_.end()) return kept->second;
    if (!desktop_ || desktopFailed_) return std::nullopt;
    auto found = desktop_->lookup(key);
    if (found) session_[key] = *found;
    return found;
}

void KeptPasswords::remove(const PasswordKey& key) {
    std::lock_guard lock(mutex_);
    session_.erase(key);
    if (desktop_ && !desktopFailed_) desktop_->remove(key);
}

std::string KeptPasswords::takeNotice() {
    std::lock_guard lock(mutex_);
    if (!desktopFailed_ || noticeGiven_) return {};
    noticeGiven_ = true;
    return kNoDesktopStore;
}

}  // namespace veilport::secret
