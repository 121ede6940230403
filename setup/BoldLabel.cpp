#include "setup/BoldLabel.h"

#include <QEvent>

namespace setup {

CBoldLabel::CBoldLabel(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
    ApplyLook();
}

void CBoldLabel::ApplyLook()
{
    QFont font = parentWidget() != nullptr ? parentWidget()->font() : QLabel::font();
    font.setWeight(QFont::Bold);
    setFont(font);
}

void CBoldLabel::changeEvent(QEvent* event)
{
    // Made by a template before its page was its parent: take the page's
    // font once it is.
    if (event->type() == QEvent::ParentChange)
        ApplyLook();
    QLabel::changeEvent(event);
}

} // namespace setup
