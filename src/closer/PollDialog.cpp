#include "closer/PollDialog.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

#include "closer/QuenchorNames.h"

namespace veilport::closer {

namespace {

// The template's dialog units (8-point dialog font, 96 dpi): 1.5 pixels
// across, 1.625 down, each edge rounded half up.
int unitsX(int units) {
    return (units * 3 + 1) / 2;
}
int unitsY(int units) {
    return (units * 13 + 4) / 8;
}
QRect place(int x, int y, int w, int h) {
    return {unitsX(x), unitsY(y), unitsX(x + w) - unitsX(x), unitsY(y + h) - unitsY(y)};
}

QIcon pollIcon() {
    QSvgRenderer renderer(QStringLiteral(":/quenchor/app_icon.svg"));
    QIcon icon;
    for (const int side : {16, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

PollDialog::PollDialog(shell::ShellOpen& shell, const std::function<void()>& closeMainProgram,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      shell_(shell) {
    setWindowTitle(QStringLiteral("Veilport Online Poll"));
    setWindowIcon(pollIcon());
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPointSize(8);
    setFont(font);
    setFixedSize(unitsX(141), unitsY(57));

    text_ = new QLabel(
        QStringLiteral("Tell us your opinion about our product by completing a short online poll."),
        this);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The template gives the text 17 units, two lines of the font it was
    // drawn for; the desktop's wider fonts may need a third line, so the text
    // may use the room down to the buttons rather than lose its end.
    text_->setGeometry(place(7, 7, 127, 27));

    yes_ = new QPushButton(QStringLiteral("YES"), this);
    yes_->setGeometry(place(14, 36, 50, 14));
    yes_->setDefault(true);
    no_ = new QPushButton(QStringLiteral("NO"), this);
    no_->setGeometry(place(73, 36, 50, 14));
    connect(yes_, &QPushButton::clicked, this, &PollDialog::openPoll);
    connect(no_, &QPushButton::clicked, this, &QDialog::reject);
    yes_->setFocus();

    // Veilport is ended while the dialog initialises, before it first shows.
    if (closeMainProgram) closeMainProgram();
}

void PollDialog::openPoll() {
    // Whether a browser came up is not Quenchor's concern.
    static_cast<void>(shell_.openUrl(pollPageAddress(), shell::WindowShow::Maximized));
    accept();
}

}  // namespace veilport::closer
