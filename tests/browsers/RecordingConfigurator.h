#pragma once

#include <string>
#include <vector>

#include "browsers/BrowserConfigurator.h"

namespace veilport::testing {

// Records each step the switch operations and the browser page take, in order,
// instead of touching the system or any file.
class RecordingConfigurator : public browsers::BrowserConfigurator {
public:
    bool systemProxyResult = true;
    std::vector<std::string> steps;

    bool setSystemProxy(std::string_view server, browsers::SwitchReport&) override {
        steps.push_back("set system " + std::string(server));
        return systemProxyResult;
    }
    bool clearSystemProxy(browsers::SwitchReport&) override {
        steps.push_back("clear system");
        return systemProxyResult;
    }
    // A browser named here fails its step, with the reason "refused".
    std::string failing;

    void setOperaFile(browsers::OperaFile file, browsers::SwitchReport& report) override {
        record("set " + Name(file), Name(file), report);
    }
    void restoreOperaFile(browsers::OperaFile file, browsers::SwitchReport& report) override {
        record("restore " + Name(file), Name(file), report);
    }
    void setMozilla(browsers::MozillaFamily family, browsers::SwitchReport& report) override {
        record("set " + Name(family), Name(family), report);
    }
    void restoreMozilla(browsers::MozillaFamily family, browsers::SwitchReport& report) override {
        record("restore " + Name(family), Name(family), report);
    }

    void record(const std::string& step, const std::string& target,
                browsers::SwitchReport& report) {
        steps.push_back(step);
        if (target == failing)
            report.failed(target, "refused");
        else
            report.done(target);
    }

    static std::string Name(browsers::OperaFile file) {
        switch (file) {
            case browsers::OperaFile::ProgramOpera6:
                return "Opera6.ini";
            case browsers::OperaFile::ProfileOpera6:
                return "profile opera6.ini";
            case browsers::OperaFile::ProgramOperaDef6:
                return "OperaDef6.ini";
        }
        return "?";
    }
    static std::string Name(browsers::MozillaFamily family) {
        switch (family) {
            case browsers::MozillaFamily::Netscape:
                return "Netscape";
            case browsers::MozillaFamily::Mozilla:
                return "Mozilla";
            case browsers::MozillaFamily::Firefox:
                return "Firefox";
        }
        return "?";
    }
};

}  // namespace veilport::testing
