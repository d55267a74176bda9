#include "proxypool/MyProxiesFile.h"

#include <cerrno>
#include <limits>
#include <system_error>

#include "platform/home/VeilportHome.h"
#include "platform/io/AtomicFile.h"
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
    if (folder.empty()) folder = home::veilportHome();
    return folder / kMyProxiesFileName;
}

std::optional<std::string> ReadMyProxies() {
    const auto path = MyProxiesPath();
    // However long the file, it is read whole: a part of it must never be
    // written back as if it were all.
    if (auto content = io::ReadWholeFile(path, std::numeric_limits<std::size_t>::max()))
        return content;
    if (errno == ENOENT) return std::string();
    return std::nullopt;
}

FileResult LoadTestedProxies(TestedProxyList& list) {
    list.clear();
    const auto content = ReadMyProxies();
    if (!content) return Denied(MyProxiesPath());
    for (auto& record : ParseMyProxies(*content)) list.appendRow(std::move(record));
    return {};
}

FileWriteResult SaveTestedProxies(const TestedProxyList& list) {
    // The rows may stand for a file that could not be loaded; replacing it
    // would lose whatever it holds.
    if (!ReadMyProxies()) return Denied(MyProxiesPath());
    return ReplaceFileAtomically(MyProxiesPath(), FormatMyProxies(list.rows()));
}

FileWriteResult AppendTestedProxy(std::string_view entry) {
    const auto content = ReadMyProxies();
    if (!content) return Denied(MyProxiesPath());
    return ReplaceFileAtomically(MyProxiesPath(), AppendMyProxiesLine(*content, entry));
}

FileWriteResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view text) {
    std::error_code ec;
    if (const auto folder = path.parent_path(); !folder.empty())
        std::filesystem::create_directories(folder, ec);
    return io::ReplaceFileAtomically(path, text) ? FileWriteResult{} : Denied(path);
}

}  // namespace veilport::proxypool
