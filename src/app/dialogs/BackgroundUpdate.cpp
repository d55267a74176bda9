#include "app/dialogs/BackgroundUpdate.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <memory>

#include "proxypool/ProxyListService.h"

namespace veilport::proxypool::ui {

namespace {

std::atomic<int> running{0};

// Holds the update's messages until the window thread can show them.
class DeferredMessages : public UserMessages {
public:
    void showMessage(const std::string& text) override { shown.push_back({text, {}, false}); }
    void showSystemMessageBox(const std::string& text, const std::string& caption) override {
        shown.push_back({text, caption, true});
    }
    struct Message {
        std::string text;
        std::string caption;
        bool systemBox;
    };
    std::vector<Message> shown;
};

struct Outcome {
    std::string body;
    std::vector<DeferredMessages::Message> messages;
};

}  // namespace

bool UpdateRunning() {
    return running.load() > 0;
}

void RunUpdateInBackground(UpdateServices services, UpdateOrigin origin, QObject* context,
                           std::function<void()> done) {
    ++running;
    const HttpGet get = services.get;
    const HttpGet generatorGet = services.generatorGet;
    auto future = QtConcurrent::run([get, generatorGet, origin] {
        auto outcome = std::make_shared<Outcome>();
        DeferredMessages messages;
        NewProxyList scratch;
        const std::string listUrl = ServiceListUrl();
        UpdateContext update{scratch,
                             [get, outcome, listUrl](const std::string& url) {
                                 std::string body = get ? get(url) : std::string();
                                 if (url == listUrl) outcome->body = body;
                                 return body;
                             },
                             generatorGet,
                             {}};
        UpdateProxyList(update, origin);
        outcome->messages = std::move(messages.shown);
        return outcome;
    });
    auto* watcher = new QFutureWatcher<std::shared_ptr<Outcome>>();
    QPointer<QObject> guard(context);
    NewProxyList* newList = &services.newList;
    UserMessages* shown = &services.messages;
    QObject::connect(watcher, &QFutureWatcher<std::shared_ptr<Outcome>>::finished, context,
                     [watcher, guard, newList, shown, done = std::move(done)] {
                         const auto outcome = watcher->result();
                         watcher->deleteLater();
                         --running;
                         if (guard == nullptr) return;
                         newList->rebuild(outcome->body);
                         for (const auto& message : outcome->messages) {
                             if (message.systemBox) {
                                 shown->showSystemMessageBox(message.text, message.caption);
                             } else {
                                 shown->showMessage(message.text);
                             }
                         }
                         if (done) done();
                     });
    // Without a context to deliver to, the watcher still has to go.
    QObject::connect(context, &QObject::destroyed, watcher, [watcher] {
        QObject::connect(watcher, &QFutureWatcher<std::shared_ptr<Outcome>>::finished, watcher,
                         [watcher] {
                             --running;
                             watcher->deleteLater();
                         });
    });
    watcher->setFuture(future);
}

}  // namespace veilport::proxypool::ui
