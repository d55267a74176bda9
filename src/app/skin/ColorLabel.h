#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace veilport::skin {

// A static text that paints itself on a transparent background, wrapped at
// word boundaries, in the colour of its StatusColor: 0 its own colour (black
// unless set), 1 green, 2 red. "&" is shown as it is. Mouse presses pass
// through to the window underneath, as they do for any static text.
class ColorLabel : public QWidget {
    Q_OBJECT

public:
    enum class Alignment { Left, Centred, Right };

    static constexpr QRgb kGreen = 0xFF43A65F;  // RGB(67, 166, 95)
    static constexpr QRgb kRed = 0xFFE12B27;    // RGB(225, 43, 39)
    static constexpr const char* kFontError = "Font could not be created!";

    explicit ColorLabel(QWidget* parent = nullptr);
    explicit ColorLabel(const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }

    void setStatusColor(int statusColor);
    int statusColor() const { return statusColor_; }
    void setOwnColor(const QColor& color);
    // The colour the text is drawn in now.
    QColor textColor() const;

    // Font properties. The height is in the points of the dialog font: 8 is
    // the size of the dialog's own text.
    void setFontFace(const QString& face);
    void setFontHeight(int height);
    void setBold(bool on);
    void setItalic(bool on);
    void setUnderline(bool on);
    void setStrikeOut(bool on);
    void setSmoothing(bool on);

    void setAlignment(Alignment alignment);

    // The font the properties describe; nothing when they describe none (no
    // face, or a height outside 1 to 1000).
    std::optional<QFont> createFont() const;

    // Where "Font could not be created!" goes: a message box unless replaced
    // (tests record it). It is shown once for each font that fails, never from
    // inside a paint, where a modal box would paint the label again and again.
    using MessageHandler = std::function<void(const QString&)>;
    static void setMessageHandler(MessageHandler handler);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fontChanged();

    QString text_;
    int statusColor_ = 0;
    QColor ownColor_ = Qt::black;
    QString face_ = QStringLiteral("MS Sans Serif");
    int height_ = 8;
    bool bold_ = false, italic_ = false, underline_ = false, strikeOut_ = false;
    bool smoothing_ = false;
    Alignment alignment_ = Alignment::Left;
    bool fontErrorShown_ = false;
};

}  // namespace veilport::skin
