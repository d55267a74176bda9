#pragma once

// libcurl, opened on first use. Linked into the program, libcurl and what it
// needs in turn (two TLS stacks, Kerberos, LDAP, SSH, ...) cost the window
// about 8 MiB of resident memory from its first moment, although most sessions
// download nothing until the person asks; opened here, the cost comes with the
// first download, and a window that never downloads never pays it.

#include <curl/curl.h>

#include <string>

namespace veilport::inet {

// The functions of libcurl this program calls, after curl_global_init.
struct CurlLibrary {
    decltype(&::curl_easy_init) easyInit;
    decltype(&::curl_easy_cleanup) easyCleanup;
    decltype(&::curl_easy_setopt) easySetopt;
    decltype(&::curl_easy_perform) easyPerform;
    decltype(&::curl_easy_getinfo) easyGetinfo;
    decltype(&::curl_easy_strerror) easyStrerror;
    decltype(&::curl_slist_append) slistAppend;
    decltype(&::curl_slist_free_all) slistFreeAll;
    decltype(&::curl_url) url;
    decltype(&::curl_url_cleanup) urlCleanup;
    decltype(&::curl_url_set) urlSet;
    decltype(&::curl_url_get) urlGet;
    decltype(&::curl_free) free;
};

// The library, opened and initialised once for the whole process (it stays
// open until the process ends; any thread may call). Null when it cannot be
// opened, and then `problem` (when given) says why.
[[nodiscard]] const CurlLibrary* curlLibrary(std::string* problem = nullptr);

}  // namespace veilport::inet
