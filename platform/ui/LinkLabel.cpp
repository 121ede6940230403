#include "platform/ui/LinkLabel.h"

#include "platform/com/ShellTypes.h"
#include "platform/shell/Execute.h"

#include <QEvent>
#include <QMouseEvent>

#include <algorithm>

namespace platform::ui {

namespace {

constexpr int kWeightStep = 100;
const QColor kLinkBlue(0, 0, 255);

} // namespace

CLinkLabel::CLinkLabel(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    // The text is an address, never markup.
    setTextFormat(Qt::PlainText);
    ApplyLook();
}

void CLinkLabel::ApplyLook()
{
    QFont font = parentWidget() != nullptr ? parentWidget()->font() : QLabel::font();
    font.setWeight(static_cast<QFont::Weight>(std::min(static_cast<int>(font.weight()) + kWeightStep, 900)));
    font.setUnderline(true);
    setFont(font);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, kLinkBlue);
    setPalette(colours);
}

void CLinkLabel::changeEvent(QEvent* event)
{
    // A label made before its parent was known, or moved, follows the new
    // parent's font.
    if (event->type() == QEvent::ParentChange)
        ApplyLook();
    QLabel::changeEvent(event);
}

void CLinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release over the control, as with a button.
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Open();
}

void CLinkLabel::Open()
{
    // The answer is not looked at: a link that cannot be opened does nothing.
    shell::ShellExecute(parentWidget(), "open", text().toStdString(), std::string(), std::string(), SW_SHOWNORMAL);
    Q_EMIT Clicked();
}

} // namespace platform::ui
