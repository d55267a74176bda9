#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QRegion>

#include "app/skin/ButtonStyle.h"

namespace veilport::skin {

// A button that is pictures: a push button, a check box or a radio button
// drawn from its normal, pressed, hover, disabled and focus pictures.
//
// Pressing is QAbstractButton's, limited to the button's shape: a press
// captures the mouse; while the button is held it shows pressed only while
// the cursor is over it, a release away from it sends no click, and losing
// the focus mid-press gives the mouse back without a click.
// A check box toggles and a radio button checks on a click or the Space bar;
// a radio button that becomes checked unchecks every other radio button of
// its group (same parent, same group number). Entering and leaving are
// reported with the button's name, for the owner's hover tips.
class BitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class Kind { PushButton, CheckBox, RadioButton };

    // Size modes of the pictures.
    static constexpr int kUnscaled = 0;  // at the top-left corner
    static constexpr int kStretched = 1;
    static constexpr int kCentred = 2;

    struct Pictures {
        QPixmap normal, pressed, hover, disabled, focus, mask;
        int sizeMode = kUnscaled;
        bool border = false;
        int focusInset = 0;
    };

    // The kind a button of this style becomes: only the automatic check box
    // and radio button styles are not push buttons.
    static Kind kindForStyle(ButtonStyle style);

    explicit BitmapButton(ButtonStyle style = ButtonStyle::PushButton, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }

    // Replaces all pictures at once, by resource identifier (0 for none). A
    // picture that cannot be loaded stays unset. False when the normal picture
    // was asked for and could not be loaded.
    bool setPictures(int normal, int pressed = 0, int hover = 0, int disabled = 0, int focus = 0,
                     int mask = 0, int sizeMode = kUnscaled, bool border = false,
                     int focusInset = 0);
    void setPictures(const Pictures& pictures);
    const Pictures& pictures() const { return pictures_; }

    void setName(const QString& name) { name_ = name; }
    const QString& name() const { return name_; }

    void setGroup(int group) { group_ = group; }
    int group() const { return group_; }

    bool isHovering() const { return hovering_; }

    QSize sizeHint() const override;

signals:
    void hoverEntered(const QString& name);
    void hoverLeft(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void nextCheckState() override;

private:
    void uncheckRestOfGroup();
    void drawPicture(QPainter& painter, const QPixmap& picture) const;
    void drawCaption(QPainter& painter, QPoint offset, bool disabled) const;

    Kind kind_;
    Pictures pictures_;
    QRegion shape_;
    QString name_;
    int group_ = 0;
    bool hovering_ = false;
    bool enterReported_ = false;
};

}  // namespace veilport::skin
