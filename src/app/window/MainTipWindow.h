#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace veilport::app {

// The small panel under the main bar that describes the section button under
// the mouse in one line of grey text.
class MainTipWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainTipWindow(QWidget* parent);

    void setText(const QString& text);
    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QPixmap background_;
};

}  // namespace veilport::app
