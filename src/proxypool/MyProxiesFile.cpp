#include "proxypool/MyProxiesFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "platform/home/VeilportHome.h"
#include "platform/io/AtomicFile.h"
#include "platform/io/UniqueFd.h"
#include "proxypool/MyProxiesFormat.h"
#include "proxypool/MyProxiesLineReader.h"
#include "settings/StringSetting.h"

namespace veilport::proxypool {

namespace {

std::string WithPath(std::string_view text, const std::filesystem::path& path) {
    std::string message(text);
    message.replace(message.find("%1"), 2, path.string());
    return message;
}

FileWriteResult Denied(const std::filesystem::path& path) {
    return {false, WithPath(kAccessDeniedMessage, path)};
}

// Reads the file in pieces, handing each line to onLine as it is complete
// and, when raw is given, keeping the bytes as they are. A missing file has no
// lines. Anything other than a regular file, and a file past either cap, is
// refused; the lines handed on before a refusal must then be dropped.
FileResult ScanMyProxies(const std::filesystem::path& path, MyProxiesLineReader::LineSink onLine,
                         std::string* raw) {
    // Non-blocking, so that a FIFO in the file's place cannot stall us.
    const io::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) return errno == ENOENT ? FileResult{} : Denied(path);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return Denied(path);
    const FileResult tooLarge{false, WithPath(kMyProxiesTooLargeMessage, path)};
    if (static_cast<std::uint64_t>(info.st_size) > kLargestMyProxiesFile) return tooLarge;
    if (raw != nullptr) raw->reserve(static_cast<std::size_t>(info.st_size));

    MyProxiesLineReader reader(std::move(onLine), kLongestMyProxiesLine);
    std::size_t total = 0;
    char buffer[65536];
    bool whole = true;
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Denied(path);
        if (got == 0) break;
        const std::string_view piece(buffer, static_cast<std::size_t>(got));
        // The file may grow while it is read.
        total += piece.size();
        if (total > kLargestMyProxiesFile) return tooLarge;
        if (raw != nullptr) raw->append(piece);
        if (!reader.feed(piece)) {
            whole = false;
            break;
        }
    }
    if (!whole || !reader.finish()) {
        std::string message = WithPath(kMyProxiesLineTooLongMessage, path);
        message.replace(message.find("%2"), 2, std::to_string(reader.lineNumber()));
        return {false, std::move(message)};
    }
    return {};
}

}  // namespace

std::filesystem::path MyProxiesPath() {
    StringSetting appPath(settings::kAppPath);
    std::filesystem::path folder = appPath.get();
    if (folder.empty()) folder = home::veilportHome();
    return folder / kMyProxiesFileName;
}

FileResult ReadMyProxiesChecked(std::string& content) {
    content.clear();
    return ScanMyProxies(
        MyProxiesPath(), [](std::string_view) {}, &content);
}

std::optional<std::string> ReadMyProxies() {
    std::string content;
    if (!ReadMyProxiesChecked(content).ok) return std::nullopt;
    return content;
}

FileResult LoadTestedProxies(TestedProxyList& list) {
    std::vector<ProxyRecord> rows;
    const auto scanned = ScanMyProxies(
        MyProxiesPath(), [&rows](std::string_view line) { rows.push_back(RecordFromLine(line)); },
        nullptr);
    if (!scanned.ok) rows = {};
    list.replaceRows(std::move(rows));
    return scanned;
}

FileWriteResult SaveTestedProxies(const TestedProxyList& list) {
    // The rows may stand for a file that could not be loaded; replacing it
    // would lose whatever it holds.
    if (auto read = ScanMyProxies(
            MyProxiesPath(), [](std::string_view) {}, nullptr);
        !read.ok)
        return read;
    return replaceFileAtomically(MyProxiesPath(), FormatMyProxies(list.rows()));
}

FileWriteResult AppendTestedProxy(std::string_view entry) {
    std::string content;
    if (auto read = ReadMyProxiesChecked(content); !read.ok) return read;
    return replaceFileAtomically(MyProxiesPath(), AppendMyProxiesLine(content, entry));
}

FileWriteResult replaceFileAtomically(const std::filesystem::path& path, std::string_view text) {
    std::error_code ec;
    if (const auto folder = path.parent_path(); !folder.empty())
        std::filesystem::create_directories(folder, ec);
    return io::replaceFileAtomically(path, text) ? FileWriteResult{} : Denied(path);
}

}  // namespace veilport::proxypool
