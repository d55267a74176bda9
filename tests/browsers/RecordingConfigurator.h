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

    bool setSystemProxy(std::string_view server) override {
        steps.push_back("set system " + std::string(server));
        return systemProxyResult;
    }
    bool clearSystemProxy() override {
        steps.push_back("clear system");
        return systemProxyResult;
    }
    void setOperaFile(browsers::OperaFile file) override { steps.push_back("set " + Name(file)); }
    void restoreOperaFile(browsers::OperaFile file) override {
        steps.push_back("restore " + Name(file));
    }
    void setMozilla(browsers::MozillaFamily family) override {
        steps.push_back("set " + Name(family));
    }
    void restoreMozilla(browsers::MozillaFamily family) override {
        steps.push_back("restore " + Name(family));
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
