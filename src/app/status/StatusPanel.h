#pragma once

#include <QFutureWatcher>
#include <QString>
#include <string>

#include "app/skin/DialogTemplate.h"
#include "app/window/AnonymityControl.h"
#include "app/window/Page.h"
#include "proxypool/PoolUi.h"

namespace veilport::skin {
class BitmapButton;
}

namespace veilport::app {

class StatusTipWindow;

// The page of section 1 and the one shown at start: the Online Anonymity and
// Privacy switches with their state words, the New and Tested drop-downs, the
// tip window and the link to the tips page. Its ApplyAnonymity is how every
// part of the program brings the machine and the Gateway in line with
// UseProxy and ProxyName.
class StatusPanel : public Page, public AnonymityControl, public proxypool::TestedDropDown {
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

    static constexpr const char* kSelectProxyFirst =
        "Please select a proxy from the list before enabling online anonymity.";
    static constexpr const char* kIpInUsePrefix = "Current IP Address in use:";
    static constexpr const char* kRealIpPrefix = "Real IP Address:";

    StatusPanel(PageHost& host, QWidget* parent);
    ~StatusPanel() override;

    // AnonymityControl.
    bool ApplyAnonymity() override;
    void ToggleAnonymity() override;
    QString realIp() const override { return realIp_; }
    std::string lastProblem() const override { return lastProblem_; }
    void refreshLists() override;

    // The privacy switch's click: flips Setari\AutoClean and nothing else.
    void TogglePrivacy();

    // The Tested drop-down, as the pool's flows see it.
    void addEntry(const std::string& text) override;
    void resetToPerformEmptyList() override;

    // Whether the service list is still being fetched for the New drop-down.
    bool fetchingNewList() const;

    const skin::DialogTemplate& controls() const { return controls_; }
    StatusTipWindow& tipWindow() const { return *tips_; }

    void onPoolChanged() override { refreshLists(); }

signals:
    // The New drop-down was filled from the fetched list.
    void newListArrived();

private:
    // Why ApplyAnonymity did or did not switch anonymity on.
    enum class Applied { Done, NoProxy, Refused };

    Applied apply();
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
    QString realIp_;
    std::string lastProblem_;
    // The New list's download while it runs, else null.
    QFutureWatcher<std::string>* fetch_ = nullptr;
};

}  // namespace veilport::app
