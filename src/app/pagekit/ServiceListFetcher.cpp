#include "app/pagekit/ServiceListFetcher.h"

#include <QFuture>
#include <QtConcurrent>

namespace veilport::proxypool::ui {

void ServiceListFetcher::request(HttpGet get, Before before, After after) {
    Request next{std::move(get), std::move(before), std::move(after)};
    if (inFlight_) {
        waiting_ = std::move(next);
        return;
    }
    launch(std::move(next));
}

void ServiceListFetcher::launch(Request next) {
    inFlight_ = true;
    if (next.before) next.before();
    const std::string url = ServiceListUrl();
    HttpGet get = std::move(next.get);
    // The continuation runs on this object's thread and is dropped with it, so
    // an answer never reaches a page that is gone.
    QtConcurrent::run([get, url] {
        return get ? get(url) : std::string();
    }).then(this, [this, after = std::move(next.after)](const std::string& body) {
        if (after) after(body);
        inFlight_ = false;
        if (waiting_) {
            Request queued = std::move(*waiting_);
            waiting_.reset();
            launch(std::move(queued));
            return;
        }
        emit idle();
    });
}

}  // namespace veilport::proxypool::ui
