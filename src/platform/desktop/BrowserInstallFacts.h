#pragma once

// No browser installer writes registry keys on Linux, so the programs record
// the installation facts a Windows installer would have written, from what
// they find here, before browsers are detected. This is the one place that
// writes them. All under HKEY_LOCAL_MACHINE:
//
//   Firefox   (`firefox` or `firefox-esr` on PATH, or a profile home:
//              ~/.mozilla/firefox, ~/snap/firefox/common/.mozilla/firefox,
//              ~/.var/app/org.mozilla.firefox/.mozilla/firefox)
//       Software\Mozilla\Mozilla Firefox             CurrentVersion = version or "unknown"
//   Mozilla   (`seamonkey` on PATH, or ~/.mozilla/seamonkey)
//       Software\Microsoft\Windows\CurrentVersion\Uninstall\Mozilla (1.7.1)
//   Netscape  (`netscape` on PATH, or ~/.netscape)
//       Software\Netscape\Netscape                   CurrentVersion = "unknown"
//       Software\Microsoft\Windows\CurrentVersion\Uninstall\Netscape Browser
//   Opera     (`opera` on PATH, or ~/.opera)
//       Software\Microsoft\Windows\CurrentVersion\Uninstall\Opera
//       Software\Microsoft\Windows\CurrentVersion\App Paths\Opera.exe
//                                                    Path = folder of the opera program
//                                                    (only when found on PATH)
//
// Every key written also gets RecordedBy = "Veilport". When a browser is no
// longer found, the keys of it that carry that mark are removed again, so an
// uninstalled browser stops being detected; keys with values someone else
// wrote are never touched (an empty key is filled in). Internet Explorer is
// always detected and Avant never exists here.

#include <filesystem>
#include <string>

namespace veilport::desktop {

struct BrowserSearch {
    std::string pathList;        // colon-separated, as PATH
    std::filesystem::path home;  // the user's home
};

// PATH and the home of this process.
BrowserSearch currentBrowserSearch();

void recordBrowserInstallations(const BrowserSearch& where);
inline void recordBrowserInstallations() {
    recordBrowserInstallations(currentBrowserSearch());
}

}  // namespace veilport::desktop
