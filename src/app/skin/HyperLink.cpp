#include "app/skin/HyperLink.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace veilport::skin {

HyperLink::HyperLink(QWidget* parent) : QWidget(parent), shell_(&shell::desktopShell()) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_NoSystemBackground);
}

HyperLink::HyperLink(const QString& text, QWidget* parent) : HyperLink(parent) {
    text_ = text;
}

void HyperLink::setText(const QString& text) {
    text_ = text;
    updateGeometry();
    update();
}

QFont HyperLink::linkFont() const {
    QFont underlined = font();
    underlined.setUnderline(true);
    return underlined;
}

QSize HyperLink::sizeHint() const {
    return QFontMetrics(linkFont()).size(Qt::TextSingleLine, text_) + QSize(2, 2);
}

void HyperLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(linkFont());
    painter.setPen(QColor::fromRgb(kLinkColour));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}

void HyperLink::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (!click) return;
    const QString address = target();
    const bool handedOver = shell_->openUrl(address.toStdString(), shell::WindowShow::Normal);
    emit opened(address, handedOver);
}

}  // namespace veilport::skin
