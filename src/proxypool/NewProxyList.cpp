#include "proxypool/NewProxyList.h"

namespace veilport::proxypool {

void NewProxyList::clear() {
    rows_.clear();
    if (listener_) listener_();
}

void NewProxyList::rebuild(std::string_view body) {
    rows_ = BuildNewList(body);
    if (listener_) listener_();
}

}  // namespace veilport::proxypool
