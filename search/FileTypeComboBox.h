#pragma once
// CFileTypeComboBox: the file types the system knows, by description, each
// with the extensions that have it. Filled from HKEY_CLASSES_ROOT: every key
// ".ext" names a type key whose default value describes it; extensions of
// one description (compared without regard to case) share one entry. The
// first entry, with no text, stands for every name that has an extension
// (".*"). The entries are sorted; none is selected at first.

#include <QComboBox>

#include <string>

namespace pellidor {

class CFileTypeComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr const char* kAnyExtension = ".*";

    explicit CFileTypeComboBox(QWidget* parent = nullptr);

    void Fill();
    // The selected entry's extensions joined by ";"; empty when none is
    // selected.
    std::string SelectedExtensions() const;
    // The extensions of entry `index`.
    std::string Extensions(int index) const;

private:
    void AddType(const QString& description, const std::string& extension);
};

} // namespace pellidor
