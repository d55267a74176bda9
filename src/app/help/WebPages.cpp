#include "app/help/WebPages.h"

namespace veilport::app {

std::string VendorPageAddress(std::string_view path) {
    return std::string("http://") + VEILPORT_VENDOR_HOST + std::string(path);
}

}  // namespace veilport::app
