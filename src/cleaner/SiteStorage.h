#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "browsers/BrowserProfiles.h"

namespace veilport::cleaner {

// The folders below a profile that hold one folder per web site's storage.
std::vector<std::string_view> SiteStorageFolders(browsers::BrowserFamily family);

// The host of the web site whose storage a folder of those holds, from its
// name ("https+++www.example.org^userContextId=1" for Firefox,
// "https_www.example.org_0.indexeddb.leveldb" for the Chromium family); empty
// for anything that is no web site's (an add-on's storage, a file).
std::string SiteStorageHost(browsers::BrowserFamily family, std::string_view folderName);

}  // namespace veilport::cleaner
