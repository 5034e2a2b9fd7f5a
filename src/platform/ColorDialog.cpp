#include "platform/ColorDialog.h"

#include <QColorDialog>

namespace win {

bool ChooseColor(QWidget* parent, QColor& color) {
    // Qt's own dialog: the desktop's may not open at all under some window
    // managers, and tests answer this one through the widget tree.
    QColorDialog dlg(color, parent);
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    if (dlg.exec() != QDialog::Accepted) return false;
    color = dlg.selectedColor();
    return true;
}

bool ChooseColor(QWidget* parent, std::uint32_t& bgr) {
    QColor c(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    if (!ChooseColor(parent, c)) return false;
    bgr =
        std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
    return true;
}

} // namespace win
