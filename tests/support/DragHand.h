#pragma once
// A drag runs a loop of its own until the pointer is released. A test
// starts one and, from inside that loop, moves the pointer to a place and
// releases it there, as a user's hand does: over a window that takes the
// drop, the drop happens; anywhere else, the drag ends with nothing taken.
// A window system brings the pointer's moves in its own time: `arrived`,
// when given, says that the move has reached the place, and the release
// waits for it (at most five seconds).

#include <QPoint>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace pellidor::test {

inline void ReleaseDragOver(QWidget* widget, QPoint pos, std::function<bool()> arrived = {})
{
    QTimer::singleShot(0, widget, [widget, pos, arrived = std::move(arrived)] {
        QTest::mouseMove(widget, pos);
        // Released either way: a move that never arrived ends the drag
        // with nothing taken, which the test then sees.
        if (arrived)
            static_cast<void>(QTest::qWaitFor(arrived, 5000));
        QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, pos);
    });
}

} // namespace pellidor::test
