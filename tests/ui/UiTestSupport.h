#pragma once

// Small tools of the UI tests: solid pictures, synthetic mouse and key events,
// waiting for the event loop to bring something about, and a shell that
// records what it was asked to open.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/shell/ShellOpen.h"

namespace veilport::testing {

inline QPixmap solid(QColor colour, QSize size = {40, 20}) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

inline QColor pixelAt(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixelColor(at);
}

inline void mouse(QWidget& widget, QEvent::Type type, QPoint at,
                  Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, widget.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void hoverMove(QWidget& widget, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void key(QWidget& widget, QEvent::Type type, int code) {
    QKeyEvent event(type, code, Qt::NoModifier,
                    code == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(&widget, &event);
}

// Runs the event loop until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class RecordingShell : public shell::ShellOpen {
public:
    struct Request {
        std::string target;
        shell::WindowShow show;
    };
    bool openUrl(std::string_view address, shell::WindowShow show) override {
        requests.push_back({std::string(address), show});
        return true;
    }
    bool openFile(const std::filesystem::path& file, shell::WindowShow show) override {
        requests.push_back({file.string(), show});
        return true;
    }
    std::vector<Request> requests;
};

}  // namespace veilport::testing
