#pragma once

#include <QFutureWatcher>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"
#include "proxypool/ListSources.h"

class QTreeWidget;

namespace veilport::proxypool::ui {

// The user's list sources: web addresses and files that list proxies, each
// with the scheme its plain addresses mean, when it was last fetched, how
// many proxies it gave and why its last fetch failed. Add, remove, refresh;
// downloads run off the window thread, and what the sources list reaches the
// New list.
class SourcesPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kListId = 1032;
    static constexpr int kLocationId = 1050;
    static constexpr int kSchemeId = 1051;
    static constexpr int kAddId = 1052;
    static constexpr int kBrowseId = 1053;
    static constexpr int kRemoveId = 1054;
    static constexpr int kRefreshId = 1055;
    static constexpr int kStateId = 1056;
    static constexpr int kProgressId = 1057;

    enum Column { LocationColumn, SchemeColumn, FetchedColumn, CountColumn, ErrorColumn };

    SourcesPanel(app::PageHost& host, QWidget* parent);
    ~SourcesPanel() override;

    QTreeWidget* list() const { return list_; }

    // Adds what the location field and the scheme drop-down say, then
    // fetches the new source.
    void addSource();
    void removeSelected();
    // Fetches every source again.
    void refresh();
    void cancel();
    bool busy() const { return watcher_ != nullptr; }

    // Tests fetch without the network.
    void setFetcher(std::function<FetchedList(const ListSource&)> fetcher) {
        fetcher_ = std::move(fetcher);
    }

signals:
    // A fetch or a reload ended and its sources are shown.
    void sourcesShown();

private:
    struct Outcome {
        std::vector<ListSource> sources;
        std::vector<SuppliedProxy> supplied;
        std::string error;
    };
    // Fetches `locations` (none: only reads what is kept), off the window thread.
    void run(std::vector<std::string> locations);
    void finished(const Outcome& outcome);
    void showSources(const std::vector<ListSource>& sources);
    void setBusy(bool busy);

    skin::DialogTemplate controls_;
    QTreeWidget* list_;
    std::function<FetchedList(const ListSource&)> fetcher_;
    QFutureWatcher<Outcome>* watcher_ = nullptr;
    std::shared_ptr<std::atomic<bool>> abandon_;
};

}  // namespace veilport::proxypool::ui
