#include "platform/FontDialog.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>

#include <climits>
#include <cstdlib>

namespace win {
namespace {

// The face of `family` that is the font's own: its slant and the weight
// nearest to its own. Without it the dialog takes the family's first face,
// which may be an oblique one.
QString MatchingStyle(const QString& family, const QFont& font) {
    QString best;
    int distance = INT_MAX;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style) != font.italic()) continue;
        const int d = std::abs(QFontDatabase::weight(family, style) - font.weight());
        if (d < distance) {
            best = style;
            distance = d;
        }
    }
    return best;
}

} // namespace

bool ChooseFont(QWidget* parent, QFont& font, bool fixedPitch) {
    QFont start = font;
    start.setFamily(QFontInfo(font).family());
    const QString style = MatchingStyle(start.family(), start);
    if (!style.isEmpty()) start.setStyleName(style);
    QFontDialog::FontDialogOptions options = QFontDialog::DontUseNativeDialog;
    if (fixedPitch) options |= QFontDialog::MonospacedFonts;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, parent, QString(), options);
    if (ok) font = chosen;
    return ok;
}

} // namespace win
