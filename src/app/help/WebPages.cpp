#include "app/help/WebPages.h"

namespace veilport::app {

std::string VendorPageAddress(std::string_view path) {
    return std::string("http://") + VEILPORT_VENDOR_HOST + std::string(path);
}

bool VendorSiteSet(std::string_view host) {
    return !host.empty() && host != "www.veilport.example";
}

const char* LocalHelpPage(std::string_view path) {
    if (path == webpage::kTips) return "Lesson1.htm";
    if (path == webpage::kSupport) return "Help.htm";
    if (path == webpage::kWhatIsMyIp) return "Anonymity.htm";
    // The product, company and tell-a-friend pages: what the program is.
    return "Introduction.htm";
}

}  // namespace veilport::app
