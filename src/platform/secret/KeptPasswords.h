#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/secret/PasswordStore.h"

namespace veilport::secret {

// Where the program keeps proxy passwords: the desktop's store when one
// answers, else this process's memory for as long as it runs. The first time
// the desktop store fails, `notice` says so once; after that the session keeps
// passwords quietly. Safe to use from several threads.
class KeptPasswords : public PasswordStore {
public:
    // `desktop` may be null: then passwords live for this session only.
    explicit KeptPasswords(std::unique_ptr<PasswordStore> desktop);

    [[nodiscard]] bool store(const PasswordKey& key, std::string_view password) override;
    [[nodiscard]] std::optional<std::string> lookup(const PasswordKey& key) override;
    void remove(const PasswordKey& key) override;

    // The one sentence for the person when the desktop store failed, then
    // empty on every later call.
    std::string takeNotice();

    // Called once, with that sentence, by the first store that could keep its
    // password for this session only (on the storing thread, outside the
    // lock). Set before passwords are stored; takeNotice then stays empty.
    using NoticeListener = std::function<void(const std::string& notice)>;
    void setNoticeListener(NoticeListener listener);

    static constexpr const char* kNoDesktopStore =
        "No password store of the desktop answered (Secret Service): Veilport keeps the proxy "
        "password for this session only and will ask for it again next time.";

private:
    struct KeyLess {
        bool operator()(const PasswordKey& a, const PasswordKey& b) const;
    };
    std::unique_ptr<PasswordStore> desktop_;
    std::mutex mutex_;
    std::map<PasswordKey, std::string, KeyLess> session_;
    bool desktopFailed_ = false;
    bool noticeGiven_ = false;
    NoticeListener listener_;
};

}  // namespace veilport::secret
