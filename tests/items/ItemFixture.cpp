#include "ItemFixture.h"

#include <QApplication>
#include <QDialog>

namespace pellidor::test {

DialogWatcher::DialogWatcher()
{
    // Polls from inside the dialog's own event loop; the dialog is rejected
    // as soon as it is the active modal widget.
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++closed_;
            dialog->reject();
        }
    });
    timer_.start(10);
}

} // namespace pellidor::test
