#include "app/pages/settings/StartupOptionsPanel.h"

#include <QCheckBox>
#include <QLineEdit>

#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "browsers/StartupOptions.h"
#include "platform/desktop/AutostartEntry.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"

namespace veilport::app {

using skin::ControlKind;

StartupOptionsPanel::StartupOptionsPanel(PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(this, kPageSizeInUnits,
                {
                    {1071, ControlKind::Static, 14, 12, 245, 30,
                     "Veilport can be set to run at start up to provide anonymity from the very "
                     "begining of the online experience."},
                    {kRunAtStartupId, ControlKind::CheckBox, 24, 46, 200, 12, "Run at Start Up"},
                    {1072, ControlKind::Static, 14, 74, 245, 30,
                     "Default program port is 8080. If you want to change it, test it first "
                     "before making a change"},
                    {1073, ControlKind::Static, 24, 112, 70, 10, "Local Proxy Port:"},
                    {kPortId, ControlKind::Edit, 96, 110, 60, 13},
                    {kShareId, ControlKind::CheckBox, 24, 136, 235, 12,
                     "Let other computers on my network use Veilport"},
                    {kTestId, ControlKind::BitmapPushButton, 153, 190, 50, 15},
                    {kSaveId, ControlKind::BitmapPushButton, 209, 190, 50, 15},
                }) {
    dressPage(this);
    dressPageButton(controls_.control<skin::BitmapButton>(kTestId), PageButton::Test);
    dressPageButton(controls_.control<skin::BitmapButton>(kSaveId), PageButton::Save);
    nameControls(controls_, {{kPortId, "Local Proxy Port:"}});
    controls_.onClicked(kTestId, [this] { testPort(); });
    controls_.onClicked(kSaveId, [this] { save(); });
    // Only a tick by the person warns; loading the stored choice does not.
    connect(shareBox(), &QCheckBox::clicked, this, [this](bool on) {
        if (on) this->host().messages().showMessage(kShareWarning);
    });
    load();
}

QCheckBox* StartupOptionsPanel::shareBox() const {
    return controls_.control<QCheckBox>(kShareId);
}

QCheckBox* StartupOptionsPanel::runAtStartupBox() const {
    return controls_.control<QCheckBox>(kRunAtStartupId);
}

QLineEdit* StartupOptionsPanel::portField() const {
    return controls_.control<QLineEdit>(kPortId);
}

void StartupOptionsPanel::load() {
    const auto options = browsers::LoadStartupOptions();
    runAtStartupBox()->setChecked(options.runAtStartup);
    portField()->setText(QString::fromStdString(options.portText));
    shareBox()->setChecked(StringSetting(settings::kListenAddress).get() != kThisMachineOnly);
}

void StartupOptionsPanel::pageShown() {
    load();
}

void StartupOptionsPanel::save() {
    // While anonymity is on, the browsers follow the Gateway to its new port
    // only once it listens there; a port it cannot take keeps the old one,
    // and the outcome's message (shown by the window) says why.
    const auto wanted = browsers::LeadingPortNumber(portField()->text().toStdString());
    if (host().anonymity().isOn() && wanted && *wanted >= 1 && *wanted <= 65535 &&
        *wanted != DwordSetting(settings::kLocalPort).get()) {
        static_cast<void>(host().anonymity().changePort(*wanted));
        portField()->setText(QString::number(DwordSetting(settings::kLocalPort).get()));
    }
    const browsers::StartupOptions options{runAtStartupBox()->isChecked(),
                                           portField()->text().toStdString()};
    const auto result = browsers::SaveStartupOptions(options);
    saveListenAddress();
    if (!result.autostartMirrored)
        host().messages().showMessage(
            QString::fromLatin1(browsers::kAutostartFailedMessage)
                .arg(QString::fromStdString(desktop::autostartEntryPath().string()))
                .toStdString());
    if (!result.portStored) {
        host().messages().showMessage(browsers::kPortRangeMessage);
        portField()->setText(QString::number(DwordSetting(settings::kLocalPort).get()));
    }
}

void StartupOptionsPanel::saveListenAddress() {
    StringSetting listen(settings::kListenAddress);
    const std::string stored = listen.get();
    const bool shared = stored != kThisMachineOnly;
    if (shareBox()->isChecked() == shared) return;
    // An address chosen on the command line (one interface) stays while the
    // box stays ticked; ticking it opens every interface.
    listen.set(shareBox()->isChecked() ? "0.0.0.0" : kThisMachineOnly);
    listen.write();
}

void StartupOptionsPanel::testPort() {
    const std::string text = portField()->text().toStdString();
    if (text.empty()) {
        host().messages().showMessage(browsers::kSpecifyPortMessage);
        return;
    }
    if (!browsers::PortInTestRange(text)) {
        host().messages().showMessage(browsers::kPortRangeMessage);
        portField()->setText(QString::fromLatin1(browsers::kDefaultPortText));
        return;
    }
    const int port = static_cast<int>(*browsers::LeadingPortNumber(text));
    switch (browsers::ProbeLocalPort(port)) {
        case browsers::PortProbe::NoSocket:
            host().messages().showMessage(browsers::kNoSocketMessage);
            return;
        case browsers::PortProbe::InUse:
            // Our own Gateway on its own port is no obstacle.
            if (!(host().pool().gateway().isRunning() &&
                  DwordSetting(settings::kLocalPort).get() == static_cast<std::uint32_t>(port))) {
                host().messages().showMessage(
                    QString::fromLatin1(browsers::kPortInUseMessage).arg(port).toStdString());
                return;
            }
            break;
        case browsers::PortProbe::Free:
            break;
    }
    host().messages().showMessage(browsers::kPortAvailableMessage);
}

}  // namespace veilport::app
