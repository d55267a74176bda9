#include "proxypool/MyProxiesFile.h"

#include <fcntl.h>

#include <system_error>

#include "platform/io/AtomicFile.h"
#include "platform/io/UniqueFd.h"
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

}  // namespace

std::filesystem::path MyProxiesPath() {
    StringSetting appPath(settings::kAppPath);
    std::filesystem::path folder = appPath.get();
    if (folder.empty()) folder = shell::veilportHome();
    return folder / kMyProxiesFileName;
}

std::string ReadMyProxies() {
    io::UniqueFd fd(::open(MyProxiesPath().c_str(), O_RDONLY | O_CLOEXEC));
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
    if (const auto folder = path.parent_path(); !folder.empty())
        std::filesystem::create_directories(folder, ec);
    return io::ReplaceFileAtomically(path, text) ? FileWriteResult{} : Denied(path);
}

}  // namespace veilport::proxypool
