#include "app/pages/anonymity/AnonymityWizardPanel.h"

#include <QCheckBox>
#include <QComboBox>

#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "proxypool/FetchProxyList.h"
#include "proxypool/ProxyText.h"
#include "proxypool/TestAndAdopt.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;

namespace {

// The locations drop-down is sorted; the service-list view already gives the
// names in that order, so the drop-down keeps them as they come.
void fill(QComboBox* box, const std::vector<std::string>& texts, const QString& source = {}) {
    for (const auto& text : texts) {
        box->addItem(QString::fromStdString(text));
        if (!source.isEmpty())
            box->setItemData(box->count() - 1, QStringLiteral("Source: ") + source,
                             Qt::ToolTipRole);
    }
    if (box->count() > 0) box->setCurrentIndex(0);
}

// The user's list sources follow the service's locations, each a location
// of its own: their proxies carry no country.
constexpr const char* kSourcePrefix = "From list: ";

std::vector<std::string> sourceLocations(const NewProxyList& fresh) {
    std::vector<std::string> names;
    for (const auto& row : fresh.rows()) {
        if (row.source.empty()) continue;
        const std::string name = kSourcePrefix + row.source;
        if (names.empty() || names.back() != name) names.push_back(name);
    }
    return names;
}

std::vector<std::string> sourceProxies(const NewProxyList& fresh, const std::string& source) {
    std::vector<std::string> entries;
    for (const auto& row : fresh.rows())
        if (row.source == source) entries.push_back(row.entry);
    return entries;
}

}  // namespace

AnonymityWizardPanel::AnonymityWizardPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(
          this, app::kPageSizeInUnits,
          {
              {1071, ControlKind::Static, 14, 12, 245, 30,
               "Anonymity Wizard helps you select the proxies, according to your "
               "preferences, browsing and posting anonymously."},
              {1072, ControlKind::Static, 14, 48, 245, 10, "What do you want to do?"},
              {kBrowseId, ControlKind::CheckBox, 24, 62, 200, 12, "Browse Invisibly"},
              {kPostId, ControlKind::CheckBox, 24, 78, 200, 12, "Post Anonymously Forum Messages "},
              {1074, ControlKind::Static, 14, 102, 245, 10, "Select a Location"},
              {kLocationsId, ControlKind::DropDownList, 24, 114, 160, 14},
              {1075, ControlKind::Static, 14, 136, 245, 10, "Country proxy list"},
              {kProxiesId, ControlKind::DropDownList, 24, 148, 235, 14},
              {kApplyId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
          }),
      browse_(controls_.control<QCheckBox>(kBrowseId)),
      post_(controls_.control<QCheckBox>(kPostId)),
      locations_(controls_.control<QComboBox>(kLocationsId)),
      proxies_(controls_.control<QComboBox>(kProxiesId)) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kApplyId), app::PageButton::Apply);
    app::nameControls(controls_,
                      {{kLocationsId, "Select a Location"}, {kProxiesId, "Country proxy list"}});
    locations_->setEnabled(false);
    proxies_->setEnabled(false);
    connect(browse_, &QCheckBox::clicked, this, [this] { refillAll(); });
    connect(post_, &QCheckBox::clicked, this, [this] { refillAll(); });
    // Only a choice by the user refills; filling the drop-down is no choice.
    connect(locations_, &QComboBox::activated, this, [this] { refillProxies(); });
    controls_.onClicked(kApplyId, [this] { apply(); });
}

std::optional<WizardMode> AnonymityWizardPanel::mode() const {
    if (post_->isChecked()) return WizardMode::PostAnonymously;
    if (browse_->isChecked()) return WizardMode::BrowseInvisibly;
    return std::nullopt;
}

void AnonymityWizardPanel::refillAll() {
    const int generation = ++generation_;
    locations_->clear();
    proxies_->clear();
    const auto wanted = mode();
    if (!wanted) {
        locations_->setEnabled(false);
        proxies_->setEnabled(false);
        return;
    }
    locations_->setEnabled(true);
    proxies_->setEnabled(true);
    fetcher_.request(
        host().pool().listGet(), [] {},
        [this, generation, wanted](const std::string& body) {
            if (generation != generation_) return;
            fill(locations_, WizardLocations(body, *wanted));
            // Nothing says whether a listed proxy takes POST.
            if (*wanted == WizardMode::BrowseInvisibly)
                fill(locations_, sourceLocations(host().pool().fresh()));
            refillProxies();
        });
}

void AnonymityWizardPanel::refillProxies() {
    const int generation = ++generation_;
    // Browse Invisibly unless Post Anonymously is ticked, whatever the other
    // box says: a location change with no box ticked still lists proxies.
    const WizardMode wanted =
        post_->isChecked() ? WizardMode::PostAnonymously : WizardMode::BrowseInvisibly;
    proxies_->clear();
    proxies_->setEnabled(true);
    const std::string location = locations_->currentText().toStdString();
    if (location.rfind(kSourcePrefix, 0) == 0) {
        const std::string source = location.substr(std::string_view(kSourcePrefix).size());
        fill(proxies_, sourceProxies(host().pool().fresh(), source),
             QString::fromStdString(source));
        return;
    }
    fetcher_.request(
        host().pool().listGet(), [] {},
        [this, generation, wanted, location](const std::string& body) {
            if (generation != generation_) return;
            fill(proxies_, WizardProxies(body, location, wanted),
                 QString::fromUtf8(kServiceSourceName.data(),
                                   static_cast<int>(kServiceSourceName.size())));
        });
}

void AnonymityWizardPanel::apply() {
    if (!mode()) return;
    const std::string text = proxies_->currentText().toStdString();
    if (text.empty()) return;
    auto context = host().pool().adoptContext();
    TestAndAdopt(text, std::string(CountryOf(text)), AdoptEntryPoint::Wizard, context);
}

}  // namespace veilport::proxypool::ui
