#pragma once

#include <QFutureWatcher>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"
#include "platform/shell/ShellOpen.h"
#include "proxypool/PoolUi.h"
#include "services/AnonymityCheck.h"

namespace veilport::skin {
class BitmapButton;
}

namespace veilport::app {

class StatusTipWindow;

// The page of section 1 and the one shown at start: the Online Anonymity and
// Privacy switches with their state words, the New and Tested drop-downs, the
// tip window and the link to the tips page. The switch and its state word
// follow the program's one anonymity service, whoever changes it.
class StatusPanel : public Page, public proxypool::TestedListMirror {
    Q_OBJECT

public:
    static constexpr int kAnonymityId = 1011;
    static constexpr int kPrivacyId = 1002;
    static constexpr int kNewListId = 1032;
    static constexpr int kTestedListId = 1063;
    static constexpr int kAnonymityWordId = 1079;
    static constexpr int kPrivacyWordId = 1080;
    static constexpr int kTipsLinkId = 1081;
    static constexpr int kStatusLabelId = 1082;
    static constexpr int kCheckNowId = 1083;
    static constexpr const char* kCheckCaption = "Anonymity check";

    static constexpr const char* kSelectProxyFirst = proxypool::kSelectProxyFirst;
    static constexpr const char* kIpInUsePrefix = "Current IP Address in use:";
    static constexpr const char* kRealIpPrefix = "Real IP Address:";

    StatusPanel(PageHost& host, QWidget* parent);
    ~StatusPanel() override;

    // The anonymity switch's click: enables when anonymity is off, else disables.
    void ToggleAnonymity();
    // Fills the New and Tested drop-downs again from the pool's lists.
    void refreshLists();

    // The privacy switch's click: flips Setari\AutoClean and nothing else.
    void TogglePrivacy();

    // The Tested drop-down, as the pool's flows see it.
    void addEntry(const std::string& text) override;
    void resetToPerformEmptyList() override;

    // Whether the service list is still being fetched for the New drop-down.
    bool fetchingNewList() const;

    // "Check now": the check the command line runs, off the window thread;
    // every line, done or failed and why, is shown when it ends.
    void checkNow();
    bool checking() const { return checking_; }
    // What the check runs; tests replace the real one.
    using AnonymityCheck = std::function<std::vector<services::CheckLine>()>;
    void setAnonymityCheck(AnonymityCheck check) { check_ = std::move(check); }

    const skin::DialogTemplate& controls() const { return controls_; }
    StatusTipWindow& tipWindow() const { return *tips_; }

    void onPoolChanged() override { refreshLists(); }

signals:
    // The New drop-down was filled from the fetched list.
    void newListArrived();
    // The check's lines have been shown.
    void checkShown();

private:
    void anonymityChanged(const services::AnonymityOutcome& outcome);
    void showAnonymityState(bool enabled);
    void showPrivacyState(bool enabled);
    void pointAtUpstreamDirectly();
    void startNewListFetch();
    void newListFetched(const std::string& body);
    void fillNewList();
    void fillTestedList();
    void newListChosen(int index);
    void testedListChosen(int index);
    void hoverEntered(const QString& name);
    void hoverLeft(const QString& name);
    skin::BitmapButton& button(int id) const;

    skin::DialogTemplate controls_;
    StatusTipWindow* tips_ = nullptr;
    std::unique_ptr<shell::ShellOpen> tipsShell_;
    // The New list's download while it runs, else null.
    QFutureWatcher<std::string>* fetch_ = nullptr;
    AnonymityCheck check_;
    bool checking_ = false;
};

}  // namespace veilport::app
