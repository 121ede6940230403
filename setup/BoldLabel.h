#pragma once
// CBoldLabel: a line of the wizard's pages in the parent's font made bold,
// drawn at its top-left corner on a transparent background, so it follows
// the page's font and lets the page show through.

#include <QLabel>

namespace setup {

class CBoldLabel : public QLabel {
    Q_OBJECT
public:
    explicit CBoldLabel(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void ApplyLook();
};

} // namespace setup
