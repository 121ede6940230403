#pragma once
// CLinkLabel: a static text that looks and acts like a web link. Its text is
// an address (a web page, "mailto:…"); a click opens it with the desktop's
// default application. The look follows the parent's font: one weight step
// bolder, underlined, blue, on a transparent background. A control of the
// platform, for every program's dialogs (Setup's too); using it takes
// Qt's widgets (the pellidor_platform_widgets library).

#include <QLabel>

namespace platform::ui {

class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit CLinkLabel(QWidget* parent = nullptr);

Q_SIGNALS:
    // After the address was handed to the desktop.
    void Clicked();

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyLook();
    void Open();

    bool pressed_ = false;
};

} // namespace platform::ui
