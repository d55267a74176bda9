#include "app/dialogs/CleaningPreviewDialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include "app/skin/BitmapButton.h"
#include "app/skin/CleaningPagePictures.h"
#include "app/skin/Pictures.h"

namespace veilport::cleaner::ui {

using skin::ControlKind;
namespace picture = skin::picture;

CleaningPreviewDialog::CleaningPreviewDialog(const QStringList& lines, QWidget* parent)
    : SkinnedDialog(parent, Kind::TopLevel),
      controls_(this, {289, 192},
                {
                    {kHeadingId, ControlKind::Static, 12, 34, 265, 9,
                     "What a cleaning pass would remove now, and what it would skip:"},
                    {kListId, ControlKind::ListView, 12, 46, 265, 106},
                    {kDoneId, ControlKind::BitmapPushButton, 120, 162, 50, 14},
                }) {
    setObjectName(QStringLiteral("CleaningPreviewDialog"));
    setWindowTitle(QStringLiteral("Veilport"));
    setWindowIcon(skin::applicationIcon());
    setBackgroundPicture(picture::kCleaningPreviewBackground);

    auto* list = controls_.control<QTreeWidget>(kListId);
    list->setColumnCount(1);
    list->setHeaderHidden(true);
    // Long lines (a profile's folder and its counts) scroll rather than lose
    // their end.
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list->setTextElideMode(Qt::ElideNone);
    list->setAccessibleName(QStringLiteral("Cleaning preview"));
    for (const QString& line : lines) list->addTopLevelItem(new QTreeWidgetItem(QStringList{line}));

    auto* done = controls_.control<skin::BitmapButton>(kDoneId);
    done->setPictures(picture::kDoneNormal, picture::kDonePressed, picture::kDoneHover,
                      picture::kDonePressed);
    done->setAccessibleName(QStringLiteral("Done"));
    done->setFocus();
    controls_.onClicked(kDoneId, [this] { accept(); });
}

QStringList CleaningPreviewDialog::lines() const {
    QStringList lines;
    const auto* list = controls_.control<QTreeWidget>(kListId);
    for (int i = 0; i < list->topLevelItemCount(); ++i) lines << list->topLevelItem(i)->text(0);
    return lines;
}

}  // namespace veilport::cleaner::ui
