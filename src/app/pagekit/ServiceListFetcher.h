#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "proxypool/ProxyListService.h"

namespace veilport::proxypool::ui {

// Downloads the service list off the window thread, one download at a time,
// so a page never freezes while the service answers slowly or not at all.
// Each request has a step run on the window thread before its download and
// one after it with the body. A request made while another is in flight
// waits for it; only the newest waiting request is kept, since a page only
// ever wants the answer to its latest question.
class ServiceListFetcher : public QObject {
    Q_OBJECT

public:
    using Before = std::function<void()>;
    using After = std::function<void(const std::string& body)>;

    explicit ServiceListFetcher(QObject* parent = nullptr) : QObject(parent) {}

    // get is copied for the request: it runs on a worker thread.
    void request(HttpGet get, Before before, After after);

    bool busy() const { return inFlight_; }

signals:
    // Every download asked for has ended and its after step has run.
    void idle();

private:
    struct Request {
        HttpGet get;
        Before before;
        After after;
    };
    void launch(Request next);

    bool inFlight_ = false;
    std::optional<Request> waiting_;
};

}  // namespace veilport::proxypool::ui
