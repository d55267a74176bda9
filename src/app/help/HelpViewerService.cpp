#include "app/help/HelpViewerService.h"

#include "app/help/HelpFiles.h"

namespace veilport::app {

HelpViewerService::~HelpViewerService() {
    delete viewer_.data();
}

HelpViewer* HelpViewerService::open() {
    if (viewer_ != nullptr) return viewer_;
    const auto file = HelpFile();
    if (file.empty()) return nullptr;
    auto* viewer = new HelpViewer(QString::fromStdString(file.string()));
    if (!viewer->isValid()) {
        delete viewer;
        return nullptr;
    }
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer_ = viewer;
    return viewer;
}

void HelpViewerService::present(bool maximised) {
    if (maximised) {
        viewer_->showMaximized();
    } else if (viewer_->isMinimized()) {
        viewer_->showNormal();
    } else {
        viewer_->show();
    }
    viewer_->raise();
    viewer_->activateWindow();
}

void HelpViewerService::showContents() {
    if (open() == nullptr) return;
    viewer_->showTab(HelpViewer::Tab::Contents);
    viewer_->openPage(QUrl(QString::fromUtf8(kHelpDefaultPage)));
    present(false);
}

void HelpViewerService::showIndex() {
    if (open() == nullptr) return;
    viewer_->showTab(HelpViewer::Tab::Index);
    present(false);
}

void HelpViewerService::showSearch(const QString& query) {
    if (open() == nullptr) return;
    viewer_->search(query);
    present(false);
}

void HelpViewerService::showPage(const QString& file) {
    if (open() == nullptr) return;
    viewer_->openPage(
        QUrl(QStringLiteral("qthelp://%1/doc/%2").arg(QString::fromUtf8(kHelpNamespace), file)));
    present(true);
}

void HelpViewerService::showHelpFile() {
    if (open() == nullptr) return;
    viewer_->openPage(QUrl(QString::fromUtf8(kHelpDefaultPage)));
    present(true);
}

}  // namespace veilport::app
