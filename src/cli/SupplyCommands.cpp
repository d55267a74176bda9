#include "cli/SupplyCommands.h"

#include <ctime>
#include <mutex>
#include <ostream>

#include "cli/ProxyCheckPrint.h"
#include "proxypool/CheckBatch.h"
#include "proxypool/ListSources.h"
#include "proxypool/WhatIsMyIp.h"
#include "settings/DwordSetting.h"

namespace veilport::cli {

namespace {

using namespace veilport::proxypool;

std::string WhenText(std::int64_t seconds) {
    if (seconds == 0) return "never";
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M", &local);
    return text;
}

void PrintSource(std::ostream& out, const ListSource& source) {
    out << source.location << '\t' << source.scheme << '\t' << WhenText(source.lastFetch) << '\t'
        << source.count << " proxies";
    if (!source.error.empty()) out << "\terror: " << source.error;
    out << '\n';
}

int Failed(std::ostream& err, const std::string& error) {
    err << "veilportctl: " << error << '\n';
    return kExitFailed;
}

int Check(std::ostream& out, std::ostream& err) {
    const ListSources sources;
    const auto supplied = sources.supply();
    if (supplied.empty()) {
        err << "veilportctl: no proxies: add a source and fetch it first\n";
        return kExitNotFound;
    }
    auto judge = ProxyJudge::FromSettings();
    if (judge->realAddress().empty())
        err << "veilportctl: the judge " << judge->config().judgeUrl
            << " did not answer; only connects are checked\n";
    std::vector<ListedProxy> proxies;
    for (const auto& entry : supplied) proxies.push_back(entry.proxy);
    std::mutex mutex;
    const int bound = static_cast<int>(DwordSetting(settings::kCheckConcurrency).get());
    CheckBatch batch(
        proxies,
        [&judge](const ListedProxy& proxy, const inet::CancelCheck& cancelled) {
            return judge->check(proxy, cancelled);
        },
        bound,
        [&](std::size_t index, const ProxyCheck& check) {
            std::lock_guard lock(mutex);
            PrintCheckLine(out, proxies[index], check);
        });
    batch.wait();
    out << batch.working() << " of " << batch.total() << " work\n";
    return batch.working() > 0 ? kExitOk : kExitNotFound;
}

int Sources(Args args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "sources expects list, add, remove, fetch or check");
    const std::string_view what = args[0];
    const ListSources sources;
    std::string error;
    if (what == "list" && args.size() == 1) {
        const auto listed = sources.list(error);
        if (!listed) return Failed(err, error);
        for (const auto& source : *listed) PrintSource(out, source);
        return kExitOk;
    }
    if (what == "add" && (args.size() == 2 || (args.size() == 4 && args[2] == "--scheme"))) {
        const std::string_view scheme = args.size() == 4 ? args[3] : "http";
        if (!sources.add(args[1], scheme, error)) return Failed(err, error);
        return kExitOk;
    }
    if (what == "remove" && args.size() == 2) {
        if (!sources.remove(args[1], error)) return Failed(err, error);
        return kExitOk;
    }
    if (what == "fetch" && args.size() <= 2) {
        std::vector<ListSource> after;
        const std::string_view location = args.size() == 2 ? args[1] : std::string_view();
        if (!sources.fetch(location, RealListFetcher(), after, error)) return Failed(err, error);
        bool allGood = true;
        for (const auto& source : after) {
            if (!location.empty() && source.location != location) continue;
            PrintSource(out, source);
            allGood = allGood && source.error.empty();
        }
        return allGood ? kExitOk : kExitFailed;
    }
    if (what == "check" && args.size() == 1) return Check(out, err);
    return UsageError(err,
                      "sources expects list | add LOCATION [--scheme http|socks5|socks5h] | "
                      "remove LOCATION | fetch [LOCATION] | check");
}

int WhatIsMyIp(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return UsageError(err, "whatismyip takes no arguments");
    auto judge = ProxyJudge::FromSettings();
    const auto found = LookUpMyAddress(*judge, BrowsersRoute());
    if (!found.realAddress.empty()) out << "Real address: " << found.realAddress << '\n';
    if (!found.answered) {
        err << "veilportctl: " << found.error << '\n';
        return kExitNotFound;
    }
    out << "Seen by web sites: " << found.seenAddress
        << (found.throughGateway ? " (through the Gateway)" : " (direct)") << '\n';
    out << "Anonymity level: " << LevelText(found.level) << '\n';
    out << "Country: " << found.country << '\n';
    return kExitOk;
}

}  // namespace

Command SourcesCommand() {
    return {"sources",
            "  sources list                    the list sources, their last fetch and count\n"
            "  sources add LOCATION [--scheme S]  add an http(s) address or a file of proxies;\n"
            "                                  S (http, socks5, socks5h) for plain ip:port lines\n"
            "  sources remove LOCATION         remove a source and its kept list\n"
            "  sources fetch [LOCATION]        fetch one source or all (through the Gateway\n"
            "                                  while anonymity is on)\n"
            "  sources check                   check every proxy of the sources' lists",
            &Sources};
}

Command WhatIsMyIpCommand() {
    return {"whatismyip",
            "  whatismyip                      the real address, the one web sites see now and\n"
            "                                  its anonymity level, from the judge",
            &WhatIsMyIp};
}

}  // namespace veilport::cli
