// The main window's small components: the session list with its state
// pictures, the taskbar flasher of the bell, and the edge magnet.
#include "session/kvMainForm.h"

#include "controls/Bmplbox.h"
#include "controls/Flash.h"
#include "controls/Magnetic.h"
#include "dialogs/DirectoryDialog.h"
#include "platform/ColorDialog.h"
#include "session/DirectoryHost.h"

QListWidget* TkvMainForm::MakeSessionList() {
    auto* list = new TBmpListBox;
    list->setObjectName(QStringLiteral("BmpListBox"));
    // One picture per row state: idle, connecting, connected, bell.
    list->SetBitmapStrip(SessionStateStrip(12));
    list->SetBmpItemWidth(12);
    return list;
}

void TkvMainForm::BuildFormComponents() {
    Flash = new TFlash(this);
    Flash->setObjectName(QStringLiteral("Flash"));
    // The housekeeping timer ends the bell's flash after ClearBeepInterval.
    OnBeepFlashEnd = [this] { Flash->SetEnabled(false); };
    Magnetic = new TMagnetic(this);
    Magnetic->setObjectName(QStringLiteral("Magnetic"));
    SetMagneticOn(false);
}

void TkvMainForm::SetMagneticOn(bool on) {
    TMargin m = Magnetic->Margin();
    m.Enabled = on;
    Magnetic->SetMargin(m);
}

// The session list's colour commands: the colour dialog opens on the list's
// colour; the choice colours the session list and the address book's list,
// and is kept in the settings so that the next start shows it again.
void TkvMainForm::PickSessionListColor(bool font) {
    const QPalette::ColorRole role = font ? QPalette::Text : QPalette::Base;
    QColor c = BmpListBox->palette().color(role);
    if (!win::ChooseColor(this, c)) return;
    (font ? Settings.BmpListBoxFontColor : Settings.BmpListBoxColor) =
        TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
    QPalette pal = BmpListBox->palette();
    pal.setColor(role, c);
    BmpListBox->setPalette(pal);
    if (DirectoryDlg)
        DirectoryDlg->SetListColors(pal.color(QPalette::Base), pal.color(QPalette::Text));
}

void TkvMainForm::CLFormBackColorClick(QObject*) {
    PickSessionListColor(false);
}

void TkvMainForm::CLFormFontColorClick(QObject*) {
    PickSessionListColor(true);
}
