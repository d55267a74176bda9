#include "proxypool/MyProxiesFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/net/UniqueFd.h"
#include "platform/shell/VeilportHome.h"
#include "proxypool/MyProxiesFormat.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

namespace {

FileWriteResult Denied(const std::filesystem::path& path) {
    std::string message(kAccessDeniedMessage);
    message.replace(message.find("%1"), 2, path.string());
    return {false, std::move(message)};
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const auto written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::filesystem::path MyProxiesPath() {
    StringSetting appPath(settings::kAppPath);
    std::filesystem::path folder = appPath.get();
    if (folder.empty()) folder = shell::veilportHome();
    return folder / kMyProxiesFileName;
}

std::string ReadMyProxies() {
    net::UniqueFd fd(::open(MyProxiesPath().c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return {};
    std::string content;
    char buffer[8192];
    for (;;) {
        const auto got = ::read(fd.get(), buffer, sizeof(buffer));
        if (got == 0) return content;
        if (got < 0) {
            if (errno == EINTR) continue;
            // A folder in the file's place, or a read error: nothing usable.
            return {};
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

void LoadTestedProxies(TestedProxyList& list) {
    const auto content = ReadMyProxies();
    list.clear();
    for (auto& record : ParseMyProxies(content)) list.appendRow(std::move(record));
}

FileWriteResult SaveTestedProxies(const TestedProxyList& list) {
    return ReplaceFileAtomically(MyProxiesPath(), FormatMyProxies(list.rows()));
}

FileWriteResult AppendTestedProxy(std::string_view entry) {
    return ReplaceFileAtomically(MyProxiesPath(), AppendMyProxiesLine(ReadMyProxies(), entry));
}

FileWriteResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view text) {
    std::error_code ec;
    const auto folder = path.parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    std::string temp = (path.string() + ".XXXXXX");
    net::UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) return Denied(path);
    // mkostemp creates the file for the owner only; a proxy list is no secret,
    // so it gets the permissions of an ordinary file of the user's.
    (void)::fchmod(fd.get(), 0644);
    const bool written = WriteAll(fd.get(), text) && ::fsync(fd.get()) == 0;
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return Denied(path);
    }
    return {};
}

}  // namespace veilport::proxypool
