#pragma once

#include <QFont>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>

namespace veilport::skin {

// The kinds of controls a page's template may hold.
enum class ControlKind {
    Static,         // text, left-aligned, wrapped
    StaticCentred,  // text, centred, wrapped
    StaticRight,    // text, right-aligned
    ColorLabel,
    HyperLink,
    BitmapPushButton,
    BitmapCheckBox,  // automatic check box drawn from pictures
    BitmapRadioButton,
    PushButton,
    DefaultPushButton,
    CheckBox,
    RadioButton,
    Edit,          // one line, scrolling horizontally
    DropDownList,  // unsorted
    ListView,      // report style
    ProgressBar,
    GroupBox,
};

// One control of a template: its id, kind, place in dialog units and text.
// Radio buttons with the same group number (and page) uncheck each other.
struct DialogControl {
    int id;
    ControlKind kind;
    int x, y, width, height;
    const char* text = "";
    int group = 0;
};

// Builds a page's controls from its template table, places them in dialog
// units, and binds handlers by control id. Pages are written as the table:
//
//     DialogTemplate controls(this, {289, 151}, {
//         {1022, ControlKind::StaticCentred, 7, 45, 276, 42},
//         {1, ControlKind::BitmapPushButton, 120, 112, 50, 14},
//     });
//     controls.onClicked(1, [this] { accept(); });
class DialogTemplate {
public:
    static constexpr int kStaticId = -1;  // ids of statics nobody looks up

    DialogTemplate(QWidget* owner, QSize sizeInUnits,
                   std::initializer_list<DialogControl> controls);

    // The font the units are measured in; the owner and its controls use it.
    static QFont dialogFont();

    QWidget* owner() const { return owner_; }

    // The control with this id, or null when there is none of that type.
    QWidget* control(int id) const { return controls_.value(id); }
    template <typename T>
    T* control(int id) const {
        return qobject_cast<T*>(control(id));
    }

    // Runs the handler on each click of the button with this id. False when
    // there is no such button.
    bool onClicked(int id, std::function<void()> handler) const;

private:
    QWidget* create(const DialogControl& spec) const;

    QWidget* owner_;
    QMap<int, QPointer<QWidget>> controls_;
};

}  // namespace veilport::skin
