#pragma once

#include <QStringList>
#include <functional>

#include "app/pagekit/Page.h"
#include "app/skin/DialogTemplate.h"

class QCheckBox;
class QLineEdit;
class QTreeWidget;

namespace veilport::cleaner::ui {

// Which tracks the cleaner erases, in which browsers, whose cookies stay, and
// every how many minutes. Only save stores; leaving the page keeps what was
// stored. Preview shows what a pass with the page's choice would do, worked
// out off the window thread.
class CleaningPanel : public app::Page {
    Q_OBJECT

public:
    static constexpr int kFirstTaskId = 1023;  // 1023 to 1029, IClear1 to IClear7
    static constexpr int kPasswordsTask = 5;
    static constexpr int kMinutesId = 1030;
    static constexpr int kSaveId = 1001;
    static constexpr int kFirefoxId = 1081;
    static constexpr int kChromiumId = 1082;
    static constexpr int kKeepListId = 1084;
    static constexpr int kKeepSiteId = 1085;
    static constexpr int kAddSiteId = 1086;
    static constexpr int kRemoveSiteId = 1087;
    static constexpr int kPreviewId = 1088;

    CleaningPanel(app::PageHost& host, QWidget* parent);

    QCheckBox* taskBox(int task) const;  // 0 to 6
    QCheckBox* firefoxBox() const;
    QCheckBox* chromiumBox() const;
    QLineEdit* minutesField() const;
    QLineEdit* keepSiteField() const;
    QTreeWidget* keepList() const;
    QStringList keptSites() const;

    void save();
    // Adds the site typed in the field to the keep list (shown only until saved).
    void addKeptSite();
    void removeSelectedSites();
    // Starts the preview; false when one is already under way.
    bool preview();
    bool previewRunning() const { return previewRunning_; }

    // Asks the person to confirm a text; true to go on. The skinned OK/Cancel
    // box unless a test stands in.
    using Confirm = std::function<bool(const QString&)>;
    void setConfirm(Confirm confirm) { confirm_ = std::move(confirm); }
    // Shows the preview's lines; the preview dialog unless a test stands in.
    using ShowPreview = std::function<void(const QStringList&)>;
    void setShowPreview(ShowPreview show) { showPreview_ = std::move(show); }

signals:
    void previewFinished(const QStringList& lines);

private:
    void load();
    void setKeptSites(const std::vector<std::string>& sites);
    // Keeps the Passwords task unticked when ticking it (or a browser while it
    // is ticked) would delete the browsers' saved passwords unconfirmed.
    void guardPasswords();

    skin::DialogTemplate controls_;
    // The last whole number the field held; a text that is not one falls
    // back to it.
    int minutes_ = 0;
    bool previewRunning_ = false;
    Confirm confirm_;
    ShowPreview showPreview_;
};

// The texts of the cleaning page's messages.
inline constexpr const char* kEnterIntegerMessage = "Please enter an integer.";
inline constexpr const char* kMinutesRangeMessage =
    "Please specify a value within 1 ... 32000 interval ";
inline constexpr const char* kPasswordsWarning = "This deletes the passwords your browsers saved";
inline constexpr const char* kNoBrowserTickedLine =
    "No browser is ticked under \"Also clean\": their profiles stay as they are.";
inline constexpr const char* kNotASiteMessage =
    "Please enter a site whose cookies to keep, as example.org.";

}  // namespace veilport::cleaner::ui
