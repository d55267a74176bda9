#include "app/dialogs/ProxyTesterDialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <mutex>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"
#include "proxypool/JudgedTester.h"
#include "proxypool/SocksGreetingTime.h"
#include "proxypool/Upstream.h"

namespace veilport::proxypool::ui {

namespace {

using skin::ControlKind;
namespace picture = skin::picture;

}  // namespace

ProxyTesterDialog::ProxyTesterDialog(QWidget* parent, ConnectMeasure measure)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {289, 192},
                {
                    {kDetailsId, ControlKind::Static, 12, 34, 265, 9},
                    {kListId, ControlKind::ListView, 12, 46, 265, 92},
                    {kProgressId, ControlKind::ProgressBar, 12, 143, 265, 9},
                    {kStartId, ControlKind::BitmapPushButton, 35, 162, 50, 14},
                    {kDoneId, ControlKind::BitmapPushButton, 120, 162, 50, 14},
                    {kCancelId, ControlKind::BitmapPushButton, 205, 162, 50, 14},
                }),
      measure_(std::move(measure)) {
    setObjectName(QStringLiteral("ProxyTesterDialog"));
    setWindowTitle(QStringLiteral("Veilport"));
    setWindowIcon(skin::applicationIcon());
    setBackgroundPicture(picture::kTesterBackground);

    auto* list = controls_.control<QTreeWidget>(kListId);
    list->setColumnCount(2);
    list->setHeaderLabels(
        {QString::fromUtf8(kTaskColumnHeading.data(), kTaskColumnHeading.size()),
         QString::fromUtf8(kResponseColumnHeading.data(), kResponseColumnHeading.size())});
    list->header()->resizeSection(0, kTaskColumnWidth * 3 / 2);
    list->header()->resizeSection(1, kResponseColumnWidth * 3 / 2);
    list->setAccessibleName(QStringLiteral("Test results"));

    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);

    const struct {
        int id, normal, pressed, hover;
        const char* name;
    } buttons[] = {
        {kStartId, picture::kDialogStartNormal, picture::kDialogStartPressed,
         picture::kDialogStartHover, "Start"},
        {kDoneId, picture::kDoneNormal, picture::kDonePressed, picture::kDoneHover, "Done"},
        {kCancelId, picture::kCancelNormal, picture::kCancelPressed, picture::kCancelHover,
         "Cancel"},
    };
    for (const auto& b : buttons) {
        auto* button = controls_.control<skin::BitmapButton>(b.id);
        button->setPictures(b.normal, b.pressed, b.hover, b.pressed);
        button->setAccessibleName(QString::fromLatin1(b.name));
    }
    controls_.control(kDoneId)->setEnabled(false);
    controls_.onClicked(kStartId, [this] { startTest(); });
    controls_.onClicked(kDoneId, [this] { accept(); });
    controls_.onClicked(kCancelId, [this] { reject(); });
}

ProxyTesterDialog::~ProxyTesterDialog() = default;

void ProxyTesterDialog::done(int result) {
    // A test still running when the dialog closes is forgotten: its answer
    // writes no settings and shows no rows.
    forgetRunningTest();
    SkinnedDialog::done(result);
}

ProxyTesterDialog::JudgeCheck ProxyTesterDialog::settingsJudge() {
    struct Kept {
        std::mutex mutex;
        std::string url;
        std::shared_ptr<ProxyJudge> judge;
    };
    auto kept = std::make_shared<Kept>();
    return [kept](const ListedProxy& proxy, const inet::CancelCheck& cancelled) {
        std::shared_ptr<ProxyJudge> judge;
        {
            std::lock_guard lock(kept->mutex);
            const std::string url = JudgeConfigFromSettings().judgeUrl;
            if (!kept->judge || kept->url != url) {
                kept->judge = ProxyJudge::FromSettings();
                kept->url = url;
            }
            judge = kept->judge;
        }
        return judge->check(proxy, cancelled);
    };
}

void ProxyTesterDialog::forgetRunningTest() {
    if (abandon_) abandon_->store(true);
    abandon_.reset();
    if (watcher_ == nullptr) return;
    watcher_->disconnect(this);
    watcher_->deleteLater();
    watcher_ = nullptr;
}

void ProxyTesterDialog::prepare(const std::string& host, int port, const std::string& adoptText) {
    forgetRunningTest();
    host_ = host;
    port_ = port;
    // A SOCKS5 entry must answer a SOCKS5 greeting: anything listening would
    // pass a bare connect.
    const auto parsed = ParseUpstream(adoptText);
    activeMeasure_ = parsed ? MeasureFor(*parsed.upstream, measure_) : measure_;
    adoptText_ = adoptText;
    // The session asks for the time the worker measured; it runs on this thread.
    session_ = std::make_unique<ProxyTesterSession>(
        host, port, adoptText, [this](const std::string&, int) { return lastMs_; });
    controls_.control<QLabel>(kDetailsId)->setText(QString::fromStdString(session_->detailsText()));
    controls_.control<QTreeWidget>(kListId)->clear();
    controls_.control<QProgressBar>(kProgressId)->setRange(0, 100);
    controls_.control<QProgressBar>(kProgressId)->setValue(0);
    controls_.control(kDoneId)->setEnabled(false);
    controls_.control(kStartId)->setEnabled(true);
}

ProxyTesterDialog::Result ProxyTesterDialog::run(const std::string& host, int port,
                                                 const std::string& adoptText) {
    prepare(host, port, adoptText);
    return exec() == QDialog::Accepted ? Result::Ok : Result::Cancel;
}

bool ProxyTesterDialog::testRunning() const {
    return watcher_ != nullptr;
}

void ProxyTesterDialog::startTest() {
    if (!session_ || testRunning()) return;
    controls_.control(kStartId)->setEnabled(false);
    controls_.control(kDoneId)->setEnabled(false);
    // A busy bar while the connection is tried.
    controls_.control<QProgressBar>(kProgressId)->setRange(0, 0);
    forgetRunningTest();
    watcher_ = new QFutureWatcher<ProxyCheck>(this);
    connect(watcher_, &QFutureWatcher<ProxyCheck>::finished, this, [this] {
        const ProxyCheck check = watcher_->result();
        forgetRunningTest();
        measured(check);
    });
    abandon_ = std::make_shared<std::atomic<bool>>(false);
    const ConnectMeasure measure = activeMeasure_;
    const JudgeCheck judge = judgeCheck_;
    const ListedProxy proxy = ProxyToCheck(host_, port_, adoptText_);
    watcher_->setFuture(QtConcurrent::run([measure, judge, proxy, abandon = abandon_] {
        if (judge) {
            ProxyCheck check = judge(proxy, [abandon] { return abandon->load(); });
            return check;
        }
        ProxyCheck check;
        check.connectMs = measure ? measure(proxy.host, proxy.port) : 0;
        check.connected = check.connectMs > 0;
        return check;
    }));
}

void ProxyTesterDialog::measured(const ProxyCheck& check) {
    if (judgeCheck_) {
        session_->start(check);
    } else {
        lastMs_ = check.connectMs;
        session_->start();
    }
    showRows();
    auto* progress = controls_.control<QProgressBar>(kProgressId);
    progress->setRange(0, 100);
    progress->setValue(session_->progress());
    controls_.control(kStartId)->setEnabled(true);
    controls_.control(kDoneId)->setEnabled(true);
    emit testFinished(session_->succeeded());
}

void ProxyTesterDialog::showRows() {
    auto* list = controls_.control<QTreeWidget>(kListId);
    const auto& rows = session_->rows();
    for (auto i = static_cast<std::size_t>(list->topLevelItemCount()); i < rows.size(); ++i)
        list->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(rows[i].task), QString::fromStdString(rows[i].response)}));
}

void ProxyTesterDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    // Enter presses none of the picture buttons; Escape is cancel.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::proxypool::ui
