#pragma once
// CHistoryComboBox: a name field that remembers the last ten names the user
// typed, most recent first, in the values "0" to "9" of a registry key. The
// list is read by Load, grows when the field loses the focus, and is written
// back when the box goes (only if it was loaded: a box never shown has no
// history of its own to write).

#include "platform/registry/Registry.h"

#include <QComboBox>

#include <string>

namespace pellidor {

class CHistoryComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 10;
    // The longest value read, in bytes with its terminating NUL.
    static constexpr std::size_t kMaxValueBytes = 260;

    explicit CHistoryComboBox(QWidget* parent = nullptr);
    ~CHistoryComboBox() override;

    // Where the history lives; set before Load.
    void SetKey(platform::registry::Hive hive, std::string path);
    // Appends every value "0" to "9" that can be read as text, a longer one
    // cut to 259 bytes; a key that cannot be opened leaves the list empty.
    void Load();
    // Writes the first ten entries as "0" to "9"; values past them stay.
    void Save() const;
    // The edit text to the top of the list: an entry equal to it without
    // regard to case goes, the text is inserted first and selected.
    void Remember();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    platform::registry::Hive hive_ = platform::registry::Hive::CurrentUser;
    std::string path_;
    bool loaded_ = false;
};

} // namespace pellidor
