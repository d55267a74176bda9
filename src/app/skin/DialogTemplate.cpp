#include "app/skin/DialogTemplate.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "app/skin/BitmapButton.h"
#include "app/skin/ColorLabel.h"
#include "app/skin/DialogUnits.h"
#include "app/skin/HyperLink.h"

namespace veilport::skin {

namespace {

QLabel* staticText(const QString& text, Qt::Alignment alignment, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(alignment | Qt::AlignTop);
    // A static text is see-through for the mouse: a press on it is a press
    // on the window.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

QFont DialogTemplate::dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPointSize(8);
    return font;
}

DialogTemplate::DialogTemplate(QWidget* owner, QSize sizeInUnits,
                               std::initializer_list<DialogControl> controls)
    : owner_(owner) {
    owner_->setFont(dialogFont());
    if (!sizeInUnits.isEmpty()) owner_->setFixedSize(DialogUnits::toPixels(sizeInUnits));
    for (const DialogControl& spec : controls) {
        QWidget* widget = create(spec);
        widget->setGeometry(DialogUnits::toPixels(spec.x, spec.y, spec.width, spec.height));
        widget->setObjectName(QStringLiteral("control%1").arg(spec.id));
        if (spec.id != kStaticId) controls_.insert(spec.id, widget);
    }
}

QWidget* DialogTemplate::create(const DialogControl& spec) const {
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
        case ControlKind::Static:
            return staticText(text, Qt::AlignLeft, owner_);
        case ControlKind::StaticCentred:
            return staticText(text, Qt::AlignHCenter, owner_);
        case ControlKind::StaticRight:
            return staticText(text, Qt::AlignRight, owner_);
        case ControlKind::ColorLabel:
            return new ColorLabel(text, owner_);
        case ControlKind::HyperLink:
            return new HyperLink(text, owner_);
        case ControlKind::BitmapPushButton:
        case ControlKind::BitmapCheckBox:
        case ControlKind::BitmapRadioButton: {
            const ButtonStyle style =
                spec.kind == ControlKind::BitmapCheckBox      ? ButtonStyle::AutoCheckBox
                : spec.kind == ControlKind::BitmapRadioButton ? ButtonStyle::AutoRadioButton
                                                              : ButtonStyle::PushButton;
            auto* button = new BitmapButton(style, owner_);
            button->setText(text);
            button->setGroup(spec.group);
            return button;
        }
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: {
            auto* button = new QPushButton(text, owner_);
            button->setDefault(spec.kind == ControlKind::DefaultPushButton);
            return button;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(text, owner_);
        case ControlKind::RadioButton:
            return new QRadioButton(text, owner_);
        case ControlKind::Edit:
            return new QLineEdit(text, owner_);
        case ControlKind::DropDownList:
            return new QComboBox(owner_);
        case ControlKind::ListView: {
            auto* list = new QTreeWidget(owner_);
            list->setRootIsDecorated(false);
            list->setUniformRowHeights(true);
            list->header()->setStretchLastSection(false);
            return list;
        }
        case ControlKind::ProgressBar:
            return new QProgressBar(owner_);
        case ControlKind::GroupBox:
            return new QGroupBox(text, owner_);
    }
    return new QWidget(owner_);
}

bool DialogTemplate::onClicked(int id, std::function<void()> handler) const {
    auto* button = control<QAbstractButton>(id);
    if (button == nullptr) return false;
    QObject::connect(button, &QAbstractButton::clicked, owner_, [handler] { handler(); });
    return true;
}

}  // namespace veilport::skin
