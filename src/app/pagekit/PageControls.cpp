#include "app/pagekit/PageControls.h"

#include <QCheckBox>
#include <QPalette>

#include "app/skin/BitmapButton.h"
#include "app/skin/Pictures.h"

namespace veilport::app {

namespace {

struct ButtonLook {
    int firstPicture;  // normal, pressed, hover, disabled, focus follow in this order
    const char* label;
};

ButtonLook lookOf(PageButton label) {
    using namespace skin::picture;
    switch (label) {
        case PageButton::Apply:
            return {kApplyNormal, "Apply"};
        case PageButton::UseSelected:
            return {kUseSelectedNormal, "Use Selected"};
        case PageButton::Start:
            return {kStartNormal, "Start"};
        case PageButton::ChangeProxy:
            return {kChangeProxyNormal, "Change Proxy"};
        case PageButton::Test:
            return {kTestNormal, "Test"};
        case PageButton::Save:
            return {kSaveNormal, "Save"};
        case PageButton::CheckNow:
            return {kCheckNowNormal, "Check now"};
    }
    return {kApplyNormal, "Apply"};
}

}  // namespace

void dressPageButton(skin::BitmapButton* button, PageButton label) {
    if (button == nullptr) return;
    const ButtonLook look = lookOf(label);
    const int first = look.firstPicture;
    (void)button->setPictures(first, first + 1, first + 2, first + 3, first + 4);
    button->setText(QString());
    button->setAccessibleName(QString::fromLatin1(look.label));
    button->setCursor(Qt::PointingHandCursor);
}

void dressPage(QWidget* page) {
    QPalette palette = page->palette();
    palette.setColor(QPalette::WindowText, QColor(80, 80, 80));
    page->setPalette(palette);
    for (auto* box : page->findChildren<QCheckBox*>())
        if (box->accessibleName().isEmpty()) box->setAccessibleName(box->text());
}

void nameControls(const skin::DialogTemplate& controls,
                  std::initializer_list<std::pair<int, const char*>> names) {
    for (const auto& [id, name] : names)
        if (QWidget* control = controls.control(id))
            control->setAccessibleName(QString::fromUtf8(name));
}

}  // namespace veilport::app
