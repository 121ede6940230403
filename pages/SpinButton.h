#pragma once
// CSpinButton: the up-down arrows beside a number field. It steps the
// number in its buddy edit within its range and leaves the edit's text
// alone otherwise: what the user types there is checked when the page's
// values are taken, not by the arrows. With a buddy, the Up and Down keys
// in the edit step too.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace pellidor {

class CSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButton(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return buddy_; }
    void SetRange(int lowest, int highest);
    int Lowest() const { return lowest_; }
    int Highest() const { return highest_; }

    // One step up (+1) or down (-1) from the buddy's number; a text that is
    // no number in range starts from the nearer end of the range.
    void Step(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int lowest_ = 0;
    int highest_ = 100;
};

} // namespace pellidor
