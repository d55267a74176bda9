#pragma once

#include <QString>
#include <QWidget>

#include "platform/shell/ShellOpen.h"

namespace veilport::skin {

// A static text that opens a web address in the desktop's browser when
// clicked: its address, or its own text when no address is set. Blue and
// underlined on a transparent background, with the hand cursor.
class HyperLink : public QWidget {
    Q_OBJECT

public:
    static constexpr QRgb kLinkColour = 0xFF0000FF;

    explicit HyperLink(QWidget* parent = nullptr);
    explicit HyperLink(const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setAddress(const QString& address) { address_ = address; }
    const QString& address() const { return address_; }
    // What a click opens.
    QString target() const { return address_.isEmpty() ? text_ : address_; }

    // The shell that opens the address: the desktop's unless replaced.
    void setShell(shell::ShellOpen& shell) { shell_ = &shell; }

    QSize sizeHint() const override;

signals:
    void opened(const QString& address, bool handedOver);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QFont linkFont() const;

    QString text_;
    QString address_;
    shell::ShellOpen* shell_;
    bool pressed_ = false;
};

}  // namespace veilport::skin
