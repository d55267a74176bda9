#include "app/skin/BitmapButton.h"

#include <qdrawutil.h>

#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "app/skin/Pictures.h"

namespace veilport::skin {

namespace {

// The mask picture's white pixels are outside the button.
QRegion maskShape(const QPixmap& mask) {
    const QImage image = mask.toImage().convertToFormat(QImage::Format_RGB32);
    // The bitmap marks the white pixels; its region is everything else.
    return QRegion(QBitmap::fromImage(image.createMaskFromColor(0xFFFFFFFF, Qt::MaskInColor)));
}

}  // namespace

BitmapButton::Kind BitmapButton::kindForStyle(ButtonStyle style) {
    switch (style) {
        case ButtonStyle::AutoCheckBox:
            return Kind::CheckBox;
        case ButtonStyle::AutoRadioButton:
            return Kind::RadioButton;
        case ButtonStyle::PushButton:
        case ButtonStyle::DefaultPushButton:
        case ButtonStyle::CheckBox:
        case ButtonStyle::RadioButton:
            return Kind::PushButton;
    }
    return Kind::PushButton;
}

BitmapButton::BitmapButton(ButtonStyle style, QWidget* parent)
    : QAbstractButton(parent), kind_(kindForStyle(style)) {
    setCheckable(kind_ != Kind::PushButton);
    // Radio groups are ours (same parent and group number), not Qt's.
    setAutoExclusive(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // The pictures cover the button: nothing is erased underneath.
    setAttribute(Qt::WA_NoSystemBackground);
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked && kind_ == Kind::RadioButton) uncheckRestOfGroup();
    });
}

bool BitmapButton::setPictures(int normal, int pressed, int hover, int disabled, int focus,
                               int mask, int sizeMode, bool border, int focusInset) {
    Pictures set;
    set.normal = loadPicture(normal);
    set.pressed = loadPicture(pressed);
    set.hover = loadPicture(hover);
    set.disabled = loadPicture(disabled);
    set.focus = loadPicture(focus);
    set.mask = loadPicture(mask);
    set.sizeMode = sizeMode;
    set.border = border;
    set.focusInset = focusInset;
    setPictures(set);
    return normal == 0 || !set.normal.isNull();
}

void BitmapButton::setPictures(const Pictures& pictures) {
    pictures_ = pictures;
    if (pictures_.disabled.isNull()) pictures_.disabled = pictures_.normal;
    if (pictures_.mask.isNull()) {
        shape_ = {};
        clearMask();
    } else {
        if (pictures_.sizeMode == kUnscaled) resize(pictures_.mask.size());
        shape_ = maskShape(pictures_.mask);
        setMask(shape_);
    }
    updateGeometry();
    update();
}

QSize BitmapButton::sizeHint() const {
    if (!pictures_.mask.isNull()) return pictures_.mask.size();
    if (!pictures_.normal.isNull()) return pictures_.normal.size();
    return {75, 23};
}

bool BitmapButton::hitButton(const QPoint& pos) const {
    return rect().contains(pos) && (shape_.isEmpty() || shape_.contains(pos));
}

void BitmapButton::drawPicture(QPainter& painter, const QPixmap& picture) const {
    if (picture.isNull()) return;
    if (!shape_.isEmpty()) painter.setClipRegion(shape_);
    switch (pictures_.sizeMode) {
        case kStretched:
            painter.drawPixmap(rect(), picture);
            break;
        case kCentred:
            painter.drawPixmap((width() - picture.width()) / 2, (height() - picture.height()) / 2,
                               picture);
            break;
        default:
            painter.drawPixmap(0, 0, picture);
            break;
    }
    painter.setClipping(false);
}

void BitmapButton::drawCaption(QPainter& painter, QPoint offset, bool disabled) const {
    if (text().isEmpty()) return;
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    const QRect area = rect().translated(offset);
    if (disabled) {
        // Embossed: the highlight, then the grey text one pixel up and left.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(area.translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    } else {
        painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
    }
    painter.drawText(area, flags, text());
}

void BitmapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool shownPressed = isDown() || (kind_ != Kind::PushButton && isChecked());
    if (!isEnabled()) {
        drawPicture(painter, pictures_.disabled);
        if (pictures_.border) qDrawWinButton(&painter, rect(), palette(), false);
        drawCaption(painter, {}, true);
        return;
    }
    if (shownPressed) {
        drawPicture(painter, pictures_.pressed);
        if (pictures_.border) qDrawWinButton(&painter, rect(), palette(), true);
        drawCaption(painter, {1, 1}, false);
        return;
    }
    if (hovering_ && !pictures_.hover.isNull()) {
        drawPicture(painter, pictures_.hover);
    } else if (hasFocus() && !pictures_.focus.isNull()) {
        drawPicture(painter, pictures_.focus);
    } else {
        drawPicture(painter, pictures_.normal);
    }
    if (pictures_.border) qDrawWinButton(&painter, rect(), palette(), false);
    if (hasFocus() && pictures_.focusInset > 0) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        const int inset = pictures_.focusInset;
        option.rect = rect().adjusted(inset, inset, -inset, -inset);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    drawCaption(painter, {}, false);
}

void BitmapButton::mousePressEvent(QMouseEvent* event) {
    // A press ends the hover look; the press itself is Qt's: it captures the
    // mouse, shows the button down only while the cursor is over it, and
    // clicks only when the release comes over it.
    if (event->button() == Qt::LeftButton && hitButton(event->position().toPoint())) {
        hovering_ = false;
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void BitmapButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if (event->buttons() & Qt::LeftButton) return;
    const bool over = hitButton(event->position().toPoint());
    if (over && !hovering_) {
        hovering_ = true;
        if (!enterReported_) {
            enterReported_ = true;
            emit hoverEntered(name_);
        }
        update();
    }
}

void BitmapButton::nextCheckState() {
    // A click checks a radio button; it never unchecks one.
    if (kind_ == Kind::RadioButton) {
        setChecked(true);
    } else if (kind_ == Kind::CheckBox) {
        setChecked(!isChecked());
    }
}

void BitmapButton::leaveEvent(QEvent* event) {
    hovering_ = false;
    if (enterReported_) {
        enterReported_ = false;
        emit hoverLeft(name_);
    }
    update();
    QAbstractButton::leaveEvent(event);
}

void BitmapButton::uncheckRestOfGroup() {
    if (parentWidget() == nullptr) return;
    const auto siblings =
        parentWidget()->findChildren<BitmapButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (BitmapButton* other : siblings) {
        if (other != this && other->kind_ == Kind::RadioButton && other->group_ == group_ &&
            other->isChecked()) {
            other->setChecked(false);
            other->update();
        }
    }
}

}  // namespace veilport::skin
