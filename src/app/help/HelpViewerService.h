#pragma once

#include <QPointer>

#include "app/help/HelpService.h"
#include "app/help/HelpViewer.h"

namespace veilport::app {

// The program's help: one help viewer over the help file in AppPath, made on
// first use and brought to the front on every request. When there is no help
// file, nothing opens, as with any missing help.
class HelpViewerService : public HelpService {
public:
    HelpViewerService() = default;
    ~HelpViewerService() override;
    HelpViewerService(const HelpViewerService&) = delete;
    HelpViewerService& operator=(const HelpViewerService&) = delete;

    void showContents() override;
    void showIndex() override;
    void showSearch(const QString& query) override;
    void showHelpFile() override;
    void showPage(const QString& file) override;

    // The viewer shown last (null before the first request).
    HelpViewer* viewer() const { return viewer_; }

private:
    HelpViewer* open();
    void present(bool maximised);

    QPointer<HelpViewer> viewer_;
};

}  // namespace veilport::app
