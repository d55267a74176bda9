// Prints a TCP port that is free on 127.0.0.1 right now, for peers (nginx,
// tinyproxy) that cannot be told to pick one themselves. The harness retries
// when another program takes it first.
#include <cstdio>

#include "SoakSupport.h"

int main() {
    std::uint16_t port = 0;
    const soak::Fd listener = soak::ListenLoopback(1, port);
    if (!listener.valid()) return 1;
    std::printf("%u\n", port);
    return 0;
}
