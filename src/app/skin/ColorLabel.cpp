#include "app/skin/ColorLabel.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>

namespace veilport::skin {

namespace {

ColorLabel::MessageHandler& messageHandler() {
    static ColorLabel::MessageHandler handler;
    return handler;
}

void showMessage(const QString& text) {
    if (messageHandler()) {
        messageHandler()(text);
        return;
    }
    QMessageBox::warning(nullptr, QApplication::applicationDisplayName(), text);
}

}  // namespace

ColorLabel::ColorLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

ColorLabel::ColorLabel(const QString& text, QWidget* parent) : ColorLabel(parent) {
    text_ = text;
}

void ColorLabel::setMessageHandler(MessageHandler handler) {
    messageHandler() = std::move(handler);
}

void ColorLabel::setText(const QString& text) {
    text_ = text;
    update();
}

void ColorLabel::setStatusColor(int statusColor) {
    statusColor_ = statusColor;
    update();
}

void ColorLabel::setOwnColor(const QColor& color) {
    ownColor_ = color;
    update();
}

QColor ColorLabel::textColor() const {
    switch (statusColor_) {
        case 1:
            return QColor::fromRgb(kGreen);
        case 2:
            return QColor::fromRgb(kRed);
        default:
            return ownColor_;
    }
}

void ColorLabel::setFontFace(const QString& face) {
    face_ = face;
    fontChanged();
}
void ColorLabel::setFontHeight(int height) {
    height_ = height;
    fontChanged();
}
void ColorLabel::setBold(bool on) {
    bold_ = on;
    fontChanged();
}
void ColorLabel::setItalic(bool on) {
    italic_ = on;
    fontChanged();
}
void ColorLabel::setUnderline(bool on) {
    underline_ = on;
    fontChanged();
}
void ColorLabel::setStrikeOut(bool on) {
    strikeOut_ = on;
    fontChanged();
}
void ColorLabel::setSmoothing(bool on) {
    smoothing_ = on;
    fontChanged();
}

void ColorLabel::setAlignment(Alignment alignment) {
    alignment_ = alignment;
    update();
}

void ColorLabel::fontChanged() {
    fontErrorShown_ = false;
    update();
}

std::optional<QFont> ColorLabel::createFont() const {
    if (face_.trimmed().isEmpty() || height_ < 1 || height_ > 1000) return std::nullopt;
    QFont font;
    // The face where the desktop has it, else the desktop's sans serif.
    font.setFamilies({face_, QStringLiteral("Sans Serif")});
    font.setPointSize(height_);
    font.setWeight(bold_ ? QFont::Black : QFont::Normal);
    font.setItalic(italic_);
    font.setUnderline(underline_);
    font.setStrikeOut(strikeOut_);
    font.setStyleStrategy(smoothing_ ? QFont::PreferAntialias : QFont::NoAntialias);
    return font;
}

void ColorLabel::paintEvent(QPaintEvent*) {
    const std::optional<QFont> font = createFont();
    if (!font) {
        if (!fontErrorShown_) {
            fontErrorShown_ = true;
            QMetaObject::invokeMethod(
                this, [] { showMessage(QString::fromLatin1(kFontError)); }, Qt::QueuedConnection);
        }
        return;
    }
    QPainter painter(this);
    painter.setFont(*font);
    painter.setPen(textColor());
    int flags = Qt::TextWordWrap | Qt::AlignTop;
    switch (alignment_) {
        case Alignment::Left:
            flags |= Qt::AlignLeft;
            break;
        case Alignment::Centred:
            flags |= Qt::AlignHCenter;
            break;
        case Alignment::Right:
            flags |= Qt::AlignRight;
            break;
    }
    painter.drawText(rect(), flags, text_);
}

}  // namespace veilport::skin
