#pragma once

#include <string_view>

#include "browsers/ProfileRoots.h"

namespace veilport::browsers {

// The steps that switch the system and each browser's files to the Gateway and
// back. The switch operations and the browser page call them through this
// class, so tests can watch the order; the base class does the real work.
class BrowserConfigurator {
public:
    virtual ~BrowserConfigurator() = default;

    virtual bool setSystemProxy(std::string_view server);
    virtual bool clearSystemProxy();
    virtual void setOperaFile(OperaFile file);
    virtual void restoreOperaFile(OperaFile file);
    // Every profile root of the family (Firefox has several on Linux).
    virtual void setMozilla(MozillaFamily family);
    virtual void restoreMozilla(MozillaFamily family);
};

BrowserConfigurator& RealBrowserConfigurator();

}  // namespace veilport::browsers
