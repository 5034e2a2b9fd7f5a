#include "platform/FontDialog.h"

#include <QFontDialog>
#include <QFontInfo>

namespace win {

bool ChooseFont(QWidget* parent, QFont& font, bool fixedPitch) {
    QFont start = font;
    start.setFamily(QFontInfo(font).family());
    QFontDialog::FontDialogOptions options = QFontDialog::DontUseNativeDialog;
    if (fixedPitch) options |= QFontDialog::MonospacedFonts;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, parent, QString(), options);
    if (ok) font = chosen;
    return ok;
}

} // namespace win
