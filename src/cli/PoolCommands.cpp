#include "cli/PoolCommands.h"

#include <iostream>
#include <ostream>
#include <string>

#include "cli/PasswordInput.h"
#include "cli/ProxyCheckPrint.h"
#include "cli/RunningVeilport.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/GeneratorRequest.h"
#include "proxypool/JudgedTester.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/ProxyJudge.h"
#include "proxypool/ProxyText.h"
#include "proxypool/ServiceList.h"
#include "proxypool/TestAndAdopt.h"
#include "proxypool/UpdateProgress.h"
#include "proxypool/UpstreamPassword.h"
#include "services/PoolServices.h"
#include "settings/AnonymityFlag.h"
#include "settings/DwordSetting.h"

namespace veilport::cli {

using services::MakePoolServices;

namespace {

using namespace veilport::proxypool;

// Messages go to stderr, the status line to stdout; the drop-down has no
// counterpart on a command line.
class CliUi : public UserMessages, public StatusLine, public TestedListMirror {
public:
    CliUi(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    void showMessage(const std::string& text) override { err_ << "veilportctl: " << text << '\n'; }
    void showSystemMessageBox(const std::string& text, const std::string& caption) override {
        err_ << "veilportctl: " << caption << ": " << text << '\n';
    }
    void setStatusText(const std::string& text) override { out_ << text << '\n'; }
    void addEntry(const std::string&) override {}
    void resetToPerformEmptyList() override {}

private:
    std::ostream& out_;
    std::ostream& err_;
};

// Entries may carry line breaks of their own (the service's text is taken as
// it stands); shown escaped so that each entry stays on one line.
std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        if (c == '\r') {
            line += "\\r";
        } else if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    return line;
}

void PrintRows(std::ostream& out, const ProxyTesterSession& session) {
    out << session.detailsText() << '\n';
    for (const auto& row : session.rows()) out << row.task << '\t' << row.response << '\n';
}

int List(Args args, std::ostream& out, std::ostream& err) {
    enum class View { NewList, Locations, Proxies } view = View::NewList;
    WizardMode mode = WizardMode::BrowseInvisibly;
    std::string location;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--post") {
            mode = WizardMode::PostAnonymously;
        } else if (args[i] == "--locations" && view == View::NewList) {
            view = View::Locations;
        } else if (args[i] == "--proxies" && view == View::NewList && i + 1 < args.size()) {
            view = View::Proxies;
            location = args[++i];
        } else {
            return UsageError(err, "list expects [--locations | --proxies LOCATION] [--post]");
        }
    }
    if (mode == WizardMode::PostAnonymously && view == View::NewList)
        return UsageError(err, "--post goes with --locations or --proxies");
    auto services = MakePoolServices();
    const auto body = FetchProxyList(ServiceListUrl(), services.directGet);
    if (body.empty()) {
        err << "veilportctl: no list from " << ServiceListUrl() << '\n';
        return kExitNotFound;
    }
    switch (view) {
        case View::NewList:
            for (const auto& row : BuildNewList(body)) out << OneLine(row.entry) << '\n';
            break;
        case View::Locations:
            for (const auto& name : WizardLocations(body, mode)) out << OneLine(name) << '\n';
            break;
        case View::Proxies:
            for (const auto& entry : WizardProxies(body, location, mode))
                out << OneLine(entry) << '\n';
            break;
    }
    return kExitOk;
}

int Test(Args args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return UsageError(err, "test expects one proxy such as HOST:PORT");
    std::string error;
    const auto proxy = ProxyFromText(args[0], error);
    if (!proxy) {
        err << "veilportctl: " << error << '\n';
        return kExitUsage;
    }
    auto judge = ProxyJudge::FromSettings();
    ProxyTesterSession session(proxy->host, proxy->port, std::string(args[0]), {}, false);
    session.start(judge->check(*proxy));
    PrintRows(out, session);
    return session.succeeded() ? kExitOk : kExitNotFound;
}

int Tested(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return UsageError(err, "tested takes no arguments");
    TestedProxyList tested;
    if (const auto loaded = LoadTestedProxies(tested); !loaded.ok) {
        err << "veilportctl: " << loaded.message << '\n';
        return kExitFailed;
    }
    for (const auto& row : tested.rows())
        out << row.address << '\t' << row.country << '\t' << row.responseTime << '\t'
            << row.downloadSpeed << '\n';
    return kExitOk;
}

int Adopt(Args args, std::ostream& out, std::ostream& err) {
    bool passwordFromStdin = false;
    if (!args.empty() && args.back() == "--password-stdin") {
        passwordFromStdin = true;
        args = args.first(args.size() - 1);
    }
    if (args.size() != 1) return UsageError(err, "adopt expects one proxy TEXT such as 1.2.3.4:80");
    std::string text(args[0]);
    const auto parsed = ParseUpstream(text);
    if (parsed && parsed.upstream->password)
        return UsageError(err,
                          "a password never goes on the command line: give the user alone "
                          "and --password-stdin");
    if (passwordFromStdin && !(parsed && parsed.upstream->user))
        return UsageError(err, "--password-stdin needs a proxy with a user name (user@host:port)");
    // A running Veilport owns the tested list on screen and the Gateway whose
    // upstream an adoption changes: it does the work.
    if (const auto window = FindRunningVeilport(err)) {
        if (passwordFromStdin)
            return UsageError(err,
                              "Veilport is running: adopt a proxy with a password on its Add "
                              "page, so the password never travels between programs");
        const process::WindowRequest request{process::WindowMessage::AdoptProxy, text};
        if (process::formatWindowRequest(request).empty())
            return UsageError(err, "adopt expects one proxy TEXT on one line");
        return HandOver(*window, request, out, err);
    }
    auto services = MakePoolServices();
    CliUi ui(out, err);
    TestedProxyList tested;
    if (const auto loaded = LoadTestedProxies(tested); !loaded.ok) {
        err << "veilportctl: " << loaded.message << '\n';
        return kExitFailed;
    }
    auto judge = ProxyJudge::FromSettings();
    JudgedTester tester(*judge,
                        [&](const ProxyTesterSession& session) { PrintRows(out, session); });
    if (passwordFromStdin) {
        Upstream withPassword = *parsed.upstream;
        withPassword.password = ReadPasswordLine(std::cin, &err);
        if (!KeepPassword(withPassword, *services.passwords)) {
            err << "veilportctl: the password could not be kept\n";
            return kExitFailed;
        }
        if (const auto notice = services.passwords->takeNotice(); !notice.empty())
            err << "veilportctl: " << notice << '\n';
    }
    AdoptContext context{tested, tester, *services.gateway, ui, ui, ui, services.passwords.get()};
    switch (TestAndAdopt(text, "", AdoptEntryPoint::AddPanel, context)) {
        case AdoptOutcome::Adopted:
            return kExitOk;
        case AdoptOutcome::NotAdopted:
            return kExitNotFound;
        case AdoptOutcome::FileError:
            return kExitFailed;
    }
    return kExitOk;
}

int Update(Args args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return UsageError(err, "update takes no arguments");
    if (const auto window = FindRunningVeilport(err))
        return HandOver(*window, {process::WindowMessage::UpdateProxyList, {}}, out, err);
    // The update switches nothing, so it runs the same whatever UseProxy says.
    auto services = MakePoolServices();
    NewProxyList newList;
    UpdateContext context{newList, services.directGet, services.get, {}};
    // The progress pauses exist for a window's bar; a terminal does not need them.
    for (const auto& step : UpdateProgressSteps(UpdateOrigin::UpdatePanel)) {
        switch (step.kind) {
            case ProgressStep::Kind::SetRange:
            case ProgressStep::Kind::Wait:
                break;
            case ProgressStep::Kind::SetPosition:
                out << "progress " << step.value << "%\n";
                break;
            case ProgressStep::Kind::RunUpdate:
                UpdateProxyList(context, UpdateOrigin::UpdateDialog);
                out << "New list: " << newList.rowCount() << " entries\n";
                break;
            case ProgressStep::Kind::ShowMessage:
                out << step.text << '\n';
                break;
        }
    }
    // The generator request would die with this process; give it its own time limit.
    if (!GeneratorRequest::instance().waitFinished(std::chrono::seconds(75)))
        err << "veilportctl: the generator request did not finish\n";
    return kExitOk;
}

}  // namespace

Command ListCommand() {
    return {"list",
            "  list                            the service's proxy list, one entry a line\n"
            "  list --locations [--post]       the wizard's locations (--post: POST-capable only)\n"
            "  list --proxies LOC [--post]     the wizard's proxies whose entry contains LOC",
            &List};
}

Command TestCommand() {
    return {"test",
            "  test PROXY                      check a proxy (HOST:PORT, scheme://host:port):\n"
            "                                  connect time, then a request through it to the\n"
            "                                  judge (JudgeUrl); one fact a line; stores nothing",
            &Test};
}

Command TestedCommand() {
    return {"tested", "  tested                          the tested proxies of MyProxies.txt",
            &Tested};
}

Command AdoptCommand() {
    return {"adopt",
            "  adopt TEXT                      test a proxy and add it to the tested proxies\n"
            "    (done by the running Veilport when there is one)",
            &Adopt};
}

Command UpdateCommand() {
    return {"update",
            "  update                          fetch the proxy list again and re-apply anonymity\n"
            "    (done by the running Veilport when there is one; without it, refused while\n"
            "    UseProxy is 1, since no Gateway would be left to point the machine at)",
            &Update};
}

}  // namespace veilport::cli
