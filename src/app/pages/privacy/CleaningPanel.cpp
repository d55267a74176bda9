#include "app/pages/privacy/CleaningPanel.h"

#include <QCheckBox>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

#include "app/dialogs/CleaningPreviewDialog.h"
#include "app/pagekit/PageControls.h"
#include "app/pagekit/PoolModel.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/CleaningPagePictures.h"
#include "app/skin/ConfirmDialog.h"
#include "cleaner/CleanBrowsers.h"
#include "cleaner/PassSummary.h"
#include "cleaner/SiteKeepList.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport::cleaner::ui {

using skin::ControlKind;

namespace {

constexpr int kTaskCount = 7;
constexpr int kResetMinutes = 5;

// As the page kit dresses its own picture buttons: the label is drawn, so
// it becomes the accessible name.
void DressButton(skin::BitmapButton* button, int firstPicture, const char* label) {
    (void)button->setPictures(firstPicture, firstPicture + 1, firstPicture + 2, firstPicture + 3,
                              firstPicture + 4);
    button->setText(QString());
    button->setAccessibleName(QString::fromLatin1(label));
    button->setCursor(Qt::PointingHandCursor);
}

}  // namespace

CleaningPanel::CleaningPanel(app::PageHost& host, QWidget* parent)
    : Page(host, parent),
      controls_(
          this, app::kPageSizeInUnits,
          {
              {1071, ControlKind::Static, 14, 8, 245, 20,
               "Veilport provides online privacy by permanently erasing all online tracks"},
              {1023, ControlKind::CheckBox, 24, 28, 230, 11, "Clear Internet History"},
              {1024, ControlKind::CheckBox, 24, 39, 230, 11, "Clear Typed URL"},
              {1025, ControlKind::CheckBox, 24, 50, 230, 11, "Clean Temporary Internet Files"},
              {1026, ControlKind::CheckBox, 24, 61, 230, 11, "Clear Internet Cookies"},
              {1027, ControlKind::CheckBox, 24, 72, 230, 11, "Clear AutoComplete Forms History"},
              {1028, ControlKind::CheckBox, 24, 83, 230, 11,
               "Clear AutoComplete Passwords History"},
              {1029, ControlKind::CheckBox, 24, 94, 230, 11, "Clear Internet Explorer Favorites"},
              {1080, ControlKind::Static, 24, 109, 42, 10, "Also clean:"},
              {kFirefoxId, ControlKind::CheckBox, 66, 108, 46, 11, "Firefox"},
              {kChromiumId, ControlKind::CheckBox, 114, 108, 140, 11, "Chromium-based browsers"},
              {1083, ControlKind::Static, 14, 123, 245, 10,
               "Keep the cookies and site data of these sites:"},
              {kKeepListId, ControlKind::ListView, 24, 134, 130, 36},
              {kKeepSiteId, ControlKind::Edit, 160, 134, 99, 13},
              {kAddSiteId, ControlKind::BitmapPushButton, 160, 153, 47, 15},
              {kRemoveSiteId, ControlKind::BitmapPushButton, 212, 153, 47, 15},
              {1072, ControlKind::Static, 14, 175, 100, 10, "Schedule cleaning:"},
              {1031, ControlKind::Static, 24, 189, 100, 10, "Perform cleaning every"},
              {kMinutesId, ControlKind::Edit, 126, 187, 40, 13},
              {1074, ControlKind::Static, 170, 189, 40, 10, "minutes"},
              {kPreviewId, ControlKind::BitmapPushButton, 154, 204, 50, 15},
              {kSaveId, ControlKind::BitmapPushButton, 209, 204, 50, 15},
          }),
      confirm_([this](const QString& text) { return skin::ConfirmDialog::ask(this, text); }),
      showPreview_([this](const QStringList& lines) {
          CleaningPreviewDialog dialog(lines, this);
          dialog.exec();
      }) {
    app::dressPage(this);
    app::dressPageButton(controls_.control<skin::BitmapButton>(kSaveId), app::PageButton::Save);
    DressButton(controls_.control<skin::BitmapButton>(kPreviewId), skin::picture::kPreviewNormal,
                "Preview");
    DressButton(controls_.control<skin::BitmapButton>(kAddSiteId), skin::picture::kAddNormal,
                "Add");
    DressButton(controls_.control<skin::BitmapButton>(kRemoveSiteId), skin::picture::kRemoveNormal,
                "Remove");
    app::nameControls(controls_, {{kMinutesId, "Perform cleaning every ... minutes"},
                                  {kKeepListId, "Sites whose cookies are kept"},
                                  {kKeepSiteId, "Site to keep"}});
    keepList()->setColumnCount(1);
    keepList()->setHeaderHidden(true);
    keepList()->setSelectionMode(QAbstractItemView::ExtendedSelection);
    keepList()->header()->setStretchLastSection(true);
    controls_.onClicked(kSaveId, [this] { save(); });
    controls_.onClicked(kPreviewId, [this] { (void)preview(); });
    controls_.onClicked(kAddSiteId, [this] { addKeptSite(); });
    controls_.onClicked(kRemoveSiteId, [this] { removeSelectedSites(); });
    connect(keepSiteField(), &QLineEdit::returnPressed, this, [this] { addKeptSite(); });
    // Only a person's click asks; loading the stored choice does not.
    for (QCheckBox* box : {taskBox(kPasswordsTask), firefoxBox(), chromiumBox()})
        connect(box, &QCheckBox::clicked, this, [this] { guardPasswords(); });
    load();
}

QCheckBox* CleaningPanel::taskBox(int task) const {
    return controls_.control<QCheckBox>(kFirstTaskId + task);
}

QCheckBox* CleaningPanel::firefoxBox() const {
    return controls_.control<QCheckBox>(kFirefoxId);
}

QCheckBox* CleaningPanel::chromiumBox() const {
    return controls_.control<QCheckBox>(kChromiumId);
}

QLineEdit* CleaningPanel::minutesField() const {
    return controls_.control<QLineEdit>(kMinutesId);
}

QLineEdit* CleaningPanel::keepSiteField() const {
    return controls_.control<QLineEdit>(kKeepSiteId);
}

QTreeWidget* CleaningPanel::keepList() const {
    return controls_.control<QTreeWidget>(kKeepListId);
}

QStringList CleaningPanel::keptSites() const {
    QStringList sites;
    for (int i = 0; i < keepList()->topLevelItemCount(); ++i)
        sites << keepList()->topLevelItem(i)->text(0);
    return sites;
}

void CleaningPanel::setKeptSites(const std::vector<std::string>& sites) {
    keepList()->clear();
    for (const auto& site : sites)
        keepList()->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromStdString(site)}));
}

void CleaningPanel::load() {
    for (int task = 0; task < kTaskCount; ++task)
        taskBox(task)->setChecked(DwordSetting(settings::kIClear[task]).get() == 1);
    firefoxBox()->setChecked(DwordSetting(settings::kCleanFirefox).get() == 1);
    chromiumBox()->setChecked(DwordSetting(settings::kCleanChromium).get() == 1);
    setKeptSites(SiteKeepList::parse(StringSetting(settings::kKeepCookieSites).get()).sites());
    minutes_ = static_cast<int>(DwordSetting(settings::kSleep).get());
    minutesField()->setText(QString::number(minutes_));
}

void CleaningPanel::guardPasswords() {
    QCheckBox* passwords = taskBox(kPasswordsTask);
    const bool browsers = firefoxBox()->isChecked() || chromiumBox()->isChecked();
    if (!passwords->isChecked() || !browsers) return;
    if (!confirm_(QString::fromLatin1(kPasswordsWarning))) passwords->setChecked(false);
}

void CleaningPanel::addKeptSite() {
    const QString typed = keepSiteField()->text().trimmed();
    SiteKeepList list;
    for (const QString& site : keptSites()) (void)list.add(site.toStdString());
    const std::size_t before = list.sites().size();
    if (typed.isEmpty() || !list.add(typed.toStdString())) {
        host().messages().showMessage(kNotASiteMessage);
        return;
    }
    // A site already listed is not listed twice.
    if (list.sites().size() != before) setKeptSites(list.sites());
    keepSiteField()->clear();
}

void CleaningPanel::removeSelectedSites() {
    for (QTreeWidgetItem* item : keepList()->selectedItems()) delete item;
}

bool CleaningPanel::preview() {
    if (previewRunning_) return false;
    TaskFlags flags{};
    for (int task = 0; task < kTaskCount; ++task) flags[task] = taskBox(task)->isChecked();
    BrowserChoice choice;
    choice.firefox = firefoxBox()->isChecked();
    choice.chromium = chromiumBox()->isChecked();
    for (const QString& site : keptSites()) (void)choice.keep.add(site.toStdString());

    previewRunning_ = true;
    controls_.control(kPreviewId)->setEnabled(false);
    auto* watcher = new QFutureWatcher<std::vector<std::string>>(this);
    connect(watcher, &QFutureWatcher<std::vector<std::string>>::finished, this, [this, watcher] {
        QStringList lines;
        for (const auto& line : watcher->result()) lines << QString::fromStdString(line);
        watcher->deleteLater();
        previewRunning_ = false;
        controls_.control(kPreviewId)->setEnabled(true);
        emit previewFinished(lines);
        showPreview_(lines);
    });
    watcher->setFuture(QtConcurrent::run([flags, choice = std::move(choice)] {
        auto lines = PreviewCleaning(flags, choice);
        if (!choice.firefox && !choice.chromium) lines.emplace_back(kNoBrowserTickedLine);
        return lines;
    }));
    return true;
}

void CleaningPanel::save() {
    bool whole = false;
    const int typed = minutesField()->text().trimmed().toInt(&whole);
    if (whole)
        minutes_ = typed;
    else
        host().messages().showMessage(kEnterIntegerMessage);

    for (int task = 0; task < kTaskCount; ++task) {
        // Written only when it changes, so a task never ticked stays absent.
        DwordSetting flag(settings::kIClear[task]);
        flag.set(taskBox(task)->isChecked() ? 1 : 0);
    }
    DwordSetting(settings::kCleanFirefox).set(firefoxBox()->isChecked() ? 1 : 0);
    DwordSetting(settings::kCleanChromium).set(chromiumBox()->isChecked() ? 1 : 0);
    SiteKeepList keep;
    for (const QString& site : keptSites()) (void)keep.add(site.toStdString());
    StringSetting(settings::kKeepCookieSites).set(keep.text());

    if (minutes_ > 1 && minutes_ < 32000) {
        DwordSetting sleep(settings::kSleep);
        sleep.set(static_cast<std::uint32_t>(minutes_));
        sleep.write();
        return;
    }
    host().messages().showMessage(kMinutesRangeMessage);
    minutes_ = kResetMinutes;
    minutesField()->setText(QString::number(minutes_));
}

}  // namespace veilport::cleaner::ui
