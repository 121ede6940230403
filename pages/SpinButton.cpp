#include "pages/SpinButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pellidor {

CSpinButton::CSpinButton(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {up_, down_}) {
        button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CSpinButton::SetBuddy(QLineEdit* buddy)
{
    if (buddy_ != nullptr)
        buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_ != nullptr)
        buddy_->installEventFilter(this);
}

void CSpinButton::SetRange(int lowest, int highest)
{
    lowest_ = std::min(lowest, highest);
    highest_ = std::max(lowest, highest);
}

void CSpinButton::Step(int direction)
{
    if (buddy_ == nullptr || !isEnabled())
        return;
    bool isNumber = false;
    const long long now = buddy_->text().toLongLong(&isNumber);
    long long next = 0;
    if (!isNumber)
        next = direction > 0 ? lowest_ : highest_;
    else
        next = std::clamp<long long>(now + direction, lowest_, highest_);
    buddy_->setText(QString::number(next));
    buddy_->selectAll();
}

bool CSpinButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pellidor
