#include "app/pagekit/Page.h"

#include <QKeyEvent>

#include "app/pagekit/PoolModel.h"
#include "app/skin/HelpRequest.h"
#include "app/skin/Pictures.h"

namespace veilport::app {

Page::Page(PageHost& host, QWidget* parent) : SkinnedDialog(parent, Kind::Child), host_(host) {
    setBackgroundPicture(skin::picture::kPageBackground);
    connect(&host.pool(), &PoolModel::changed, this, [this] { onPoolChanged(); });
}

void Page::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F1:
            skin::requestHelp();
            return;
        case Qt::Key_Escape:
            host_.hideToTray();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter never triggers a page's default button.
            return;
        default:
            SkinnedDialog::keyPressEvent(event);
    }
}

}  // namespace veilport::app
