#pragma once

#include <string>
#include <string_view>

namespace veilport::app {

// Pages of the vendor's web site, by path.
namespace webpage {
inline constexpr std::string_view kProduct = "/features_veilport.html";
inline constexpr std::string_view kCompany = "/";
inline constexpr std::string_view kSupport = "/support_veilport.html";
inline constexpr std::string_view kTellAFriend = "/veilport/tell_a_friend.html";
inline constexpr std::string_view kWhatIsMyIp = "/veilport/whatismyip.php";
inline constexpr std::string_view kTips = "/tips.html";
}  // namespace webpage

// The full address of a page on the vendor's host (chosen at build time).
std::string VendorPageAddress(std::string_view path);

// Whether the build names a vendor host that serves pages (not the
// placeholder, which no one serves).
bool VendorSiteSet(std::string_view host = VEILPORT_VENDOR_HOST);

// The page of the local help that stands in for a vendor page.
const char* LocalHelpPage(std::string_view path);

}  // namespace veilport::app
