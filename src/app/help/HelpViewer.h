#pragma once

#include <QPointer>
#include <QString>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <memory>

class QHelpEngine;
class QLineEdit;

namespace veilport::app {

// The program's help window over a Qt Help collection: contents, index and
// full-text search beside the page shown.
class HelpViewer : public QWidget {
    Q_OBJECT

public:
    enum class Tab { Contents = 0, Index = 1, Search = 2 };

    // A viewer over the collection file; isValid() tells whether it opened.
    explicit HelpViewer(const QString& collectionFile, QWidget* parent = nullptr);
    ~HelpViewer() override;

    bool isValid() const { return valid_; }

    void showTab(Tab tab);
    Tab currentTab() const;
    // Runs the full-text search (once the index is ready) and shows its results.
    void search(const QString& query);
    void openPage(const QUrl& url);
    QUrl currentPage() const;

    // Results of the last search that ran.
    int searchResultCount() const;
    QHelpEngine& engine() { return *engine_; }

signals:
    void searchFinished(int hits);

private:
    void runPendingSearch();

    std::unique_ptr<QHelpEngine> engine_;
    QTabWidget* tabs_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QLineEdit* indexFilter_ = nullptr;
    bool valid_ = false;
    bool indexReady_ = false;
    QString pendingQuery_;
};

}  // namespace veilport::app
