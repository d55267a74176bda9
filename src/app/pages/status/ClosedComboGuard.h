#pragma once

#include <QObject>

class QComboBox;

namespace veilport::app {

// Qt changes a closed drop-down's choice on a mouse-wheel notch, an arrow key
// or a typed letter, and reports it as `activated` like a real choice. On the
// status page a choice acts at once (empty the tested list, test a proxy,
// switch the upstream), so a closed drop-down keeps those events away: only a
// choice made in its open list acts. Space, F4 and Alt+Down still open it.
class ClosedComboGuard : public QObject {
public:
    // Guards `combo` for its lifetime (the guard is its child).
    static void Install(QComboBox* combo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

}  // namespace veilport::app
