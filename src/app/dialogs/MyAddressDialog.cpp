#include "app/dialogs/MyAddressDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QtConcurrent/QtConcurrentRun>

#include "app/skin/BitmapButton.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"

namespace veilport::proxypool::ui {

using skin::ControlKind;
namespace picture = skin::picture;

namespace {

constexpr int kLabelX = 20;
constexpr int kValueX = 120;
constexpr int kValueWidth = 150;

MyAddressDialog::LookUp settingsLookUp() {
    return [](const inet::CancelCheck& cancelled) {
        const auto judge = ProxyJudge::FromSettings();
        return LookUpMyAddress(*judge, BrowsersRoute(), cancelled);
    };
}

}  // namespace

MyAddressDialog::MyAddressDialog(QWidget* parent, LookUp lookUp)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {289, 151},
                {
                    {skin::DialogTemplate::kStaticId, ControlKind::Static, kLabelX, 40, 95, 10,
                     "Real IP address:"},
                    {kRealId, ControlKind::Static, kValueX, 40, kValueWidth, 10},
                    {skin::DialogTemplate::kStaticId, ControlKind::Static, kLabelX, 54, 95, 10,
                     "Web sites see:"},
                    {kSeenId, ControlKind::Static, kValueX, 54, kValueWidth, 10},
                    {skin::DialogTemplate::kStaticId, ControlKind::Static, kLabelX, 68, 95, 10,
                     "Anonymity level:"},
                    {kLevelId, ControlKind::Static, kValueX, 68, kValueWidth, 10},
                    {skin::DialogTemplate::kStaticId, ControlKind::Static, kLabelX, 82, 95, 10,
                     "Country:"},
                    {kCountryId, ControlKind::Static, kValueX, 82, kValueWidth, 10},
                    {kStateId, ControlKind::Static, kLabelX, 98, 250, 16},
                    {kOkId, ControlKind::BitmapPushButton, 120, 118, 50, 14},
                }),
      lookUp_(lookUp ? std::move(lookUp) : settingsLookUp()) {
    setObjectName(QStringLiteral("MyAddressDialog"));
    setWindowTitle(QStringLiteral("What is my IP?"));
    setWindowIcon(skin::applicationIcon());
    setBackgroundPicture(picture::kDialogBackground);
    auto* ok = controls_.control<skin::BitmapButton>(kOkId);
    ok->setPictures(picture::kOkNormal, picture::kOkPressed, picture::kOkHover,
                    picture::kOkDisabled, picture::kOkFocus);
    ok->setAccessibleName(QStringLiteral("OK"));
    controls_.onClicked(kOkId, [this] { accept(); });
    const std::pair<int, const char*> names[] = {{kRealId, "Real IP address"},
                                                 {kSeenId, "Address web sites see"},
                                                 {kLevelId, "Anonymity level"},
                                                 {kCountryId, "Country"},
                                                 {kStateId, "State"}};
    for (const auto& [id, name] : names) {
        auto* label = controls_.control<QLabel>(id);
        label->setAccessibleName(QString::fromLatin1(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0x1E, 0x2B, 0x45));
        label->setPalette(palette);
    }
}

MyAddressDialog::~MyAddressDialog() {
    forget();
}

void MyAddressDialog::ask() {
    if (asking()) return;
    for (const int id : {kRealId, kSeenId, kLevelId, kCountryId})
        controls_.control<QLabel>(id)->setText(QString());
    controls_.control<QLabel>(kStateId)->setText(QStringLiteral("Asking the judge..."));
    abandon_ = std::make_shared<std::atomic<bool>>(false);
    watcher_ = new QFutureWatcher<MyAddress>(this);
    connect(watcher_, &QFutureWatcher<MyAddress>::finished, this, [this] {
        const MyAddress found = watcher_->result();
        forget();
        showAnswer(found);
    });
    watcher_->setFuture(QtConcurrent::run([lookUp = lookUp_, abandon = abandon_] {
        return lookUp([abandon] { return abandon->load(); });
    }));
}

void MyAddressDialog::forget() {
    if (abandon_) abandon_->store(true);
    abandon_.reset();
    if (watcher_ == nullptr) return;
    watcher_->disconnect(this);
    watcher_->deleteLater();
    watcher_ = nullptr;
}

void MyAddressDialog::showAnswer(const MyAddress& found) {
    const auto text = [](const std::string& value) {
        return value.empty() ? QStringLiteral("unknown") : QString::fromStdString(value);
    };
    if (!found.realAddress.empty())
        controls_.control<QLabel>(kRealId)->setText(text(found.realAddress));
    if (found.answered) {
        controls_.control<QLabel>(kSeenId)->setText(
            text(found.seenAddress) + (found.throughGateway ? QStringLiteral(" (through Veilport)")
                                                            : QStringLiteral(" (direct)")));
        const auto level = LevelText(found.level);
        controls_.control<QLabel>(kLevelId)->setText(
            QString::fromUtf8(level.data(), static_cast<int>(level.size())));
        controls_.control<QLabel>(kCountryId)->setText(text(found.country));
        controls_.control<QLabel>(kStateId)->setText(QString());
    } else {
        controls_.control<QLabel>(kStateId)->setText(QStringLiteral("No answer: ") +
                                                     QString::fromStdString(found.error));
    }
    emit answered(found.answered);
}

void MyAddressDialog::done(int result) {
    forget();
    SkinnedDialog::done(result);
}

void MyAddressDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        skin::requestHelp();
        return;
    }
    SkinnedDialog::keyPressEvent(event);
}

}  // namespace veilport::proxypool::ui
