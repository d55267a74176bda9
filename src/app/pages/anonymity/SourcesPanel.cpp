#include "app/pages/anonymity/SourcesPanel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPromise>
#include <QTreeWidget>
#include <QtConcurrent>
#include <ctime>

#include "app/pagekit/CheckColumnsView.h"
#include "app/pagekit/ListViewRows.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

namespace {

constexpr int kColumnWidths[] = {150, 55, 105, 50, 200};

QString whenText(std::int64_t seconds) {
    if (seconds == 0) return QStringLiteral("never");
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M", &local);
    return QString::fromLatin1(text);
}

}  // namespace

SourcesPanel::SourcesPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(
          this, app::kPageSizeInUnits,
          {
              {1071, ControlKind::Static, 14, 10, 245, 20,
               "Lists of proxies you add: web addresses or files. A plain address in a "
               "list means the list's default scheme."},
              {kListId, ControlKind::ListView, 14, 32, 245, 108},
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 14, 147, 40, 10, "Location:"},
              {kLocationId, ControlKind::Edit, 56, 145, 203, 12},
              {skin::DialogTemplate::kStaticId, ControlKind::Static, 14, 163, 40, 10, "Scheme:"},
              {kSchemeId, ControlKind::DropDownList, 56, 161, 60, 14},
              {kAddId, ControlKind::PushButton, 122, 161, 40, 13, "Add"},
              {kBrowseId, ControlKind::PushButton, 166, 161, 45, 13, "File..."},
              {kRemoveId, ControlKind::PushButton, 14, 180, 50, 13, "Remove"},
              {kRefreshId, ControlKind::PushButton, 68, 180, 50, 13, "Refresh"},
              {kStateId, ControlKind::Static, 124, 182, 135, 10},
              {kProgressId, ControlKind::ProgressBar, 14, 199, 245, 7},
          }),
      list_(controls_.control<QTreeWidget>(kListId)) {
    app::dressPage(this);
    app::nameControls(controls_, {{kListId, "List sources"},
                                  {kLocationId, "Location"},
                                  {kSchemeId, "Scheme"},
                                  {kAddId, "Add"},
                                  {kBrowseId, "File..."},
                                  {kRemoveId, "Remove"},
                                  {kRefreshId, "Refresh"},
                                  {kStateId, "Fetch state"},
                                  {kProgressId, "Fetch progress"}});
    list_->setColumnCount(5);
    list_->setHeaderLabels({QStringLiteral("Source"), QStringLiteral("Scheme"),
                            QStringLiteral("Last fetch"), QStringLiteral("Proxies"),
                            QStringLiteral("Last error")});
    for (int column = 0; column < list_->columnCount(); ++column)
        list_->setColumnWidth(column, kColumnWidths[column]);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* scheme = controls_.control<QComboBox>(kSchemeId);
    scheme->addItems({QStringLiteral("http"), QStringLiteral("socks5"), QStringLiteral("socks5h")});
    controls_.control<QLineEdit>(kLocationId)
        ->setPlaceholderText(QStringLiteral("https://... or /path/to/list.txt"));
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setTextVisible(false);
    progress->setRange(0, 1);
    progress->setValue(0);
    controls_.onClicked(kAddId, [this] { addSource(); });
    controls_.onClicked(kRemoveId, [this] { removeSelected(); });
    controls_.onClicked(kRefreshId, [this] { refresh(); });
    controls_.onClicked(kBrowseId, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, QStringLiteral("A list of proxies"));
        if (!file.isEmpty()) controls_.control<QLineEdit>(kLocationId)->setText(file);
    });
    connect(&host.pool(), &app::PoolModel::checksStopped, this, &SourcesPanel::cancel);
    // What the sources gave last time is in the New list from the start.
    run({});
}

SourcesPanel::~SourcesPanel() {
    cancel();
    // The worker only reads and writes the sources' files; it may finish
    // alone, but never reports to a page that is gone.
    if (watcher_ != nullptr) watcher_->disconnect(this);
}

void SourcesPanel::addSource() {
    if (busy()) return;
    const QString location = controls_.control<QLineEdit>(kLocationId)->text().trimmed();
    const QString scheme = controls_.control<QComboBox>(kSchemeId)->currentText();
    std::string error;
    const ListSources sources;
    if (!sources.add(location.toStdString(), scheme.toStdString(), error)) {
        host().messages().showMessage("The source was not added: " + error);
        return;
    }
    controls_.control<QLineEdit>(kLocationId)->clear();
    std::string why;
    run({NormalisedLocation(location.toStdString(), why)});
}

void SourcesPanel::removeSelected() {
    if (busy()) return;
    const int row = firstSelectedRow(*list_);
    if (row < 0) return;
    const std::string location = list_->topLevelItem(row)->text(LocationColumn).toStdString();
    std::string error;
    if (!ListSources().remove(location, error)) {
        host().messages().showMessage("The source was not removed: " + error);
        return;
    }
    run({});
}

void SourcesPanel::refresh() {
    if (busy()) return;
    std::string error;
    const auto sources = ListSources().list(error);
    if (!sources) {
        host().messages().showMessage(error);
        return;
    }
    std::vector<std::string> locations;
    for (const auto& source : *sources) locations.push_back(source.location);
    if (locations.empty()) {
        controls_.control<QLabel>(kStateId)->setText(QStringLiteral("No source to fetch"));
        return;
    }
    run(std::move(locations));
}

void SourcesPanel::cancel() {
    if (abandon_) abandon_->store(true);
}

void SourcesPanel::run(std::vector<std::string> locations) {
    abandon_ = std::make_shared<std::atomic<bool>>(false);
    setBusy(true);
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setRange(0, static_cast<int>(std::max<std::size_t>(locations.size(), 1)));
    progress->setValue(0);
    controls_.control<QLabel>(kStateId)->setText(locations.empty() ? QString()
                                                                   : QStringLiteral("Fetching..."));
    watcher_ = new QFutureWatcher<Outcome>(this);
    connect(watcher_, &QFutureWatcher<Outcome>::progressValueChanged, this,
            [this](int value) { controls_.control<QProgressBar>(kProgressId)->setValue(value); });
    connect(watcher_, &QFutureWatcher<Outcome>::finished, this, [this] {
        const Outcome outcome =
            watcher_->future().resultCount() > 0 ? watcher_->result() : Outcome{};
        watcher_->deleteLater();
        watcher_ = nullptr;
        finished(outcome);
    });
    const auto abandon = abandon_;
    auto fetcher = fetcher_ ? fetcher_ : RealListFetcher([abandon] { return abandon->load(); });
    watcher_->setFuture(QtConcurrent::run(
        [locations = std::move(locations), fetcher, abandon](QPromise<Outcome>& promise) {
            Outcome outcome;
            const ListSources sources;
            int done = 0;
            for (const auto& location : locations) {
                if (abandon->load()) break;
                std::vector<ListSource> after;
                std::string error;
                if (!sources.fetch(location, fetcher, after, error) && outcome.error.empty())
                    outcome.error = error;
                promise.setProgressValue(++done);
            }
            std::string error;
            if (auto listed = sources.list(error)) {
                outcome.sources = std::move(*listed);
            } else if (outcome.error.empty()) {
                outcome.error = error;
            }
            outcome.supplied = sources.supply();
            promise.addResult(std::move(outcome));
        }));
}

void SourcesPanel::finished(const Outcome& outcome) {
    setBusy(false);
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setValue(progress->maximum());
    showSources(outcome.sources);
    int failed = 0;
    for (const auto& source : outcome.sources) failed += source.error.empty() ? 0 : 1;
    QString state = QStringLiteral("%1 proxies from %2 sources")
                        .arg(outcome.supplied.size())
                        .arg(outcome.sources.size());
    if (failed > 0) state += QStringLiteral(", %1 failed").arg(failed);
    if (!outcome.error.empty()) state = QString::fromStdString(outcome.error);
    controls_.control<QLabel>(kStateId)->setText(state);
    host().pool().fresh().setSupply(outcome.supplied);
    emit sourcesShown();
}

void SourcesPanel::showSources(const std::vector<ListSource>& sources) {
    list_->clear();
    for (const auto& source : sources) {
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(source.location), QString::fromStdString(source.scheme),
                    whenText(source.lastFetch), QString::number(source.count),
                    QString::fromStdString(source.error)});
        item->setToolTip(ErrorColumn, QString::fromStdString(source.error));
        item->setToolTip(LocationColumn, QString::fromStdString(source.location));
    }
}

void SourcesPanel::setBusy(bool busy) {
    for (const int id : {kAddId, kRemoveId, kRefreshId, kBrowseId})
        controls_.control(id)->setEnabled(!busy);
}

}  // namespace veilport::proxypool::ui
