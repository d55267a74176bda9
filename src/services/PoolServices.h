#pragma once

// The real implementations behind the pool's flows, for the window and the
// command line alike: the Gateway, the system proxy switch, the stored access
// options for downloads and the URL cache hook. Built in one place so they can
// be swapped as a whole.

#include <iosfwd>
#include <memory>
#include <stop_token>
#include <string>

#include "platform/secret/KeptPasswords.h"
#include "proxypool/GatewayControl.h"
#include "proxypool/ProxyListService.h"
#include "proxypool/ProxySwitch.h"

namespace veilport::services {

struct PoolServices {
    std::unique_ptr<proxypool::GatewayControl> gateway;
    std::unique_ptr<proxypool::ProxySwitch> connection;
    // Downloads with the LAN connection's stored proxy options, recorded in the URL cache.
    proxypool::HttpGet get;
    // Proxy passwords: the desktop's Secret Service, else this session's memory.
    std::shared_ptr<secret::KeptPasswords> passwords;
    // Downloads that go out directly whatever the system proxy says (the
    // proxy-list service), recorded in the URL cache all the same.
    proxypool::HttpGet directGet;
};

// The downloads end early once `stop` is asked to (the window asks at Exit).
PoolServices MakePoolServices(std::stop_token stop = {});

// Why the Gateway could not listen on `port`, from the bind's errno, as the
// window and veilportctl say it.
std::string ListenProblem(int port, int error);

}  // namespace veilport::services
