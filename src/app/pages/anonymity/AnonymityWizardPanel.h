#pragma once

#include <optional>

#include "app/pagekit/Page.h"
#include "app/pagekit/ServiceListFetcher.h"
#include "app/skin/DialogTemplate.h"
#include "proxypool/ServiceList.h"

class QComboBox;
class QCheckBox;

namespace veilport::proxypool::ui {

// The wizard: two purpose boxes pick the kind of proxy, the locations
// drop-down lists where such proxies are, the proxies drop-down the proxies
// of the chosen location, and apply tests and adopts the chosen one. Each
// refill downloads the service list afresh, off the window thread.
class AnonymityWizardPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kBrowseId = 1060;
    static constexpr int kPostId = 1061;
    static constexpr int kLocationsId = 1057;
    static constexpr int kProxiesId = 1059;
    static constexpr int kApplyId = 1001;

    AnonymityWizardPanel(app::PageHost& host, QWidget* parent);

    // The mode the boxes select: nothing when neither is ticked; Post
    // Anonymously wins over Browse Invisibly.
    std::optional<WizardMode> mode() const;

    const ServiceListFetcher& fetcher() const { return fetcher_; }

private:
    void refillAll();
    void refillProxies();
    void apply();

    skin::DialogTemplate controls_;
    QCheckBox* browse_;
    QCheckBox* post_;
    QComboBox* locations_;
    QComboBox* proxies_;
    ServiceListFetcher fetcher_;
    // Raised by every refill: an answer that comes back for an older one
    // fills nothing.
    int generation_ = 0;
};

}  // namespace veilport::proxypool::ui
