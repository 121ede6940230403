#pragma once
// CDriveComboBox: a drop-down list of the drives that take removable media
// (removable and optical drives), each entry its drive root with the drive's
// small icon.

#include "platform/ui/ImageList.h"

#include <QComboBox>
#include <QString>

#include <string>

namespace pellidor {

class CDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CDriveComboBox(QWidget* parent = nullptr);

    // Lists the drives in the platform's order and selects the first.
    void Fill();

    // The selected entry's text; empty when nothing is selected.
    std::string SelectedText() const;
    // The first entry after `start` (-1: from the first entry) whose text
    // begins with `text`, letter case ignored, going round to the first
    // entry; -1 when there is none.
    int FindStringPrefix(int start, const QString& text) const;
    // The entry of the drive at `root`: its text is `root` or begins with
    // `root` followed by "/", letter case ignored; -1 when there is none.
    // Component-wise, so that /media/cd never finds /media/cd2.
    int FindRoot(const QString& root) const;

    const platform::ui::ImageList& Images() const { return images_; }

private:
    platform::ui::ImageList images_{16};
};

} // namespace pellidor
