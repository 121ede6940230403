#pragma once
// CPathLine: one line of path text, centred, with the middle of a path that
// does not fit replaced by an ellipsis, and "&" shown as it is. Painted on
// the button face with the dialog's variable-width font.

#include <QString>
#include <QWidget>

#include <string>

namespace pellidor {

class CPathLine : public QWidget {
    Q_OBJECT
public:
    explicit CPathLine(QWidget* parent = nullptr);

    // Stores the text and repaints the whole line.
    void ShowPath(const std::string& path);
    const QString& Path() const { return path_; }
    // The text as it is drawn at the line's present width.
    QString DisplayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString path_;
};

} // namespace pellidor
