#include "app/window/MainTipWindow.h"

#include <QPainter>

#include "app/skin/Pictures.h"

namespace veilport::app {

MainTipWindow::MainTipWindow(QWidget* parent)
    : QWidget(parent), background_(skin::loadPicture(skin::picture::kTipBackground)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("Section description"));
}

void MainTipWindow::setText(const QString& text) {
    if (text_ == text) return;
    text_ = text;
    setAccessibleDescription(text);
    update();
}

void MainTipWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
    if (text_.isEmpty()) return;
    painter.setPen(QColor(80, 80, 80));
    painter.setFont(font());
    painter.drawText(rect().adjusted(10, 22, -8, -8), Qt::TextWordWrap | Qt::AlignLeft, text_);
}

}  // namespace veilport::app
