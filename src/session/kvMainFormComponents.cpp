// The main window's small components: the session list with its state
// pictures, the taskbar flasher of the bell, and the edge magnet.
#include "session/kvMainForm.h"

#include "controls/Bmplbox.h"
#include "controls/Flash.h"
#include "controls/Magnetic.h"

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
