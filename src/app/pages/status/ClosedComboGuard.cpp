#include "app/pages/status/ClosedComboGuard.h"

#include <QComboBox>
#include <QKeyEvent>

namespace veilport::app {

void ClosedComboGuard::Install(QComboBox* combo) {
    combo->installEventFilter(new ClosedComboGuard(combo));
}

bool ClosedComboGuard::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Wheel) return true;
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::AltModifier) return false;
    switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        case Qt::Key_Space:
        case Qt::Key_F4:
            return false;
        default:
            // A typed letter would pick the first entry starting with it.
            return !key->text().isEmpty() && key->text().at(0).isPrint();
    }
}

}  // namespace veilport::app
