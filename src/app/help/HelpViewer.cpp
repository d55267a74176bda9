#include "app/help/HelpViewer.h"

#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/help/HelpFiles.h"
#include "app/skin/Pictures.h"

namespace veilport::app {

namespace {

// Pages come out of the help collection, not off the disk or the network.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(QHelpEngine& engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {
        setOpenExternalLinks(false);
    }

    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == QLatin1String("qthelp")) {
            const QByteArray data = engine_.fileData(name);
            // Style sheets are taken as text only.
            if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(data);
            return data;
        }
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine& engine_;
};

}  // namespace

HelpViewer::HelpViewer(const QString& collectionFile, QWidget* parent)
    : QWidget(parent, Qt::Window), engine_(std::make_unique<QHelpEngine>(collectionFile)) {
    setWindowTitle(QStringLiteral("Veilport Help"));
    setWindowIcon(skin::applicationIcon());
    resize(900, 620);
    valid_ = engine_->setupData();

    tabs_ = new QTabWidget(this);
    tabs_->setAccessibleName(QStringLiteral("Help navigation"));
    auto* contents = engine_->contentWidget();
    tabs_->addTab(contents, QStringLiteral("Contents"));

    auto* indexPage = new QWidget(tabs_);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexFilter_ = new QLineEdit(indexPage);
    indexFilter_->setPlaceholderText(QStringLiteral("Type a keyword"));
    indexFilter_->setAccessibleName(QStringLiteral("Index keyword"));
    auto* index = engine_->indexWidget();
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(index);
    tabs_->addTab(indexPage, QStringLiteral("Index"));

    auto* searchPage = new QWidget(tabs_);
    auto* searchLayout = new QVBoxLayout(searchPage);
    auto* searchEngine = engine_->searchEngine();
    auto* query = searchEngine->queryWidget();
    auto* results = searchEngine->resultWidget();
    searchLayout->addWidget(query);
    searchLayout->addWidget(results);
    tabs_->addTab(searchPage, QStringLiteral("Search"));

    browser_ = new HelpBrowser(*engine_, this);
    browser_->setAccessibleName(QStringLiteral("Help page"));
    // The pages' linked style sheet, as the text view applies it to every page.
    browser_->document()->setDefaultStyleSheet(QString::fromUtf8(engine_->fileData(
        QUrl(QStringLiteral("qthelp://%1/doc/help.css").arg(QLatin1String(kHelpNamespace))))));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpViewer::openPage);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { openPage(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty()) openPage(links.first().url);
            });
    connect(indexFilter_, &QLineEdit::textChanged, index,
            [index](const QString& text) { index->filterIndices(text); });
    connect(indexFilter_, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(results, &QHelpSearchResultWidget::requestShowLink, this, &HelpViewer::openPage);
    connect(query, &QHelpSearchQueryWidget::search, this,
            [this, query] { search(query->searchInput()); });
    connect(searchEngine, &QHelpSearchEngine::searchingFinished, this,
            [this](int hits) { emit searchFinished(hits); });
    connect(searchEngine, &QHelpSearchEngine::indexingFinished, this, [this] {
        indexReady_ = true;
        runPendingSearch();
    });
    // The index is built (or brought up to date) in the background once per
    // viewer; a search asked for before it is ready runs when it is.
    searchEngine->reindexDocumentation();

    openPage(QUrl(QString::fromUtf8(kHelpDefaultPage)));
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::showTab(Tab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

HelpViewer::Tab HelpViewer::currentTab() const {
    return static_cast<Tab>(tabs_->currentIndex());
}

void HelpViewer::search(const QString& query) {
    showTab(Tab::Search);
    engine_->searchEngine()->queryWidget()->setSearchInput(query);
    pendingQuery_ = query;
    if (indexReady_) runPendingSearch();
}

void HelpViewer::runPendingSearch() {
    if (pendingQuery_.isEmpty()) return;
    const QString query = pendingQuery_;
    pendingQuery_.clear();
    engine_->searchEngine()->search(query);
}

int HelpViewer::searchResultCount() const {
    return engine_->searchEngine()->searchResultCount();
}

void HelpViewer::openPage(const QUrl& url) {
    browser_->setSource(url);
}

QUrl HelpViewer::currentPage() const {
    return browser_->source();
}

}  // namespace veilport::app
