// The preferences command: the dialog over a copy of the settings, then the
// changes applied to every open session through the progress pass.
#include "session/kvMainForm.h"

#include "dialogs/PasswdDialog.h"
#include "dialogs/PreferenceDialog.h"
#include "platform/CodePage.h"
#include "platform/ColorDialog.h"
#include "platform/FontDialog.h"
#include "session/DetachedForm.h"
#include "session/core/Preferences.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QScrollBar>
#include <QTabWidget>

namespace {

std::string OpenFile(QWidget* owner, const QString& filter, const std::string& start) {
    QFileDialog dlg(owner, QString(), win::Big5ToQString(start), filter);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return win::QStringToBig5(dlg.selectedFiles().first());
}

prefs::TSessionLook LookOf(const TConnection& s) {
    prefs::TSessionLook look;
    look.FontName = win::QStringToBig5(s.Font().family());
    look.FontSize = s.Font().pointSize();
    look.FontBold = s.Font().bold();
    look.FontItalic = s.Font().italic();
    look.SpaceV = s.SpaceV();
    look.Picture = s.GlyphVisible();
    look.PictureFilename = s.PictureFileName;
    return look;
}

// A session window that is not maximised grows until its client holds the
// whole terminal again; its left and top edges stay where they are. One
// that fills the document area (MaximizeSession) keeps filling it: it is
// fitted again as that command fits it, the font following the screen. A
// minimised window keeps its small frame (grown, it would stand in the area
// as a large minimised strip); restored, its screen fits the font to its
// client.
void Refit(TkvMainForm& main, TDetachedForm* form, TConnection* s) {
    if (!form || form->isMaximized() || form->isMinimized()) return;
    if (s->Maximized) {
        main.MaximizeSession(main.SessionIndex(s));
        // At its size already, the command only marks it; the new font is
        // still fitted to the screen.
        if (!s->FitFontToClient()) s->CalcCellMetrics();
        s->UpdateBackground();
        return;
    }
    s->CalcCellMetrics();
    const QSize have = s->size();
    const prefs::TSize need{s->Screen().Columns() * s->CellWidth(),
                            s->Screen().Rows() * s->CellHeight()};
    const prefs::TSize grown =
        prefs::GrowToFit({have.width(), have.height()}, need, {form->width(), form->height()});
    if (grown.Width != form->width() || grown.Height != form->height())
        form->resize(grown.Width, grown.Height);
    s->CalcCellMetrics();
}

} // namespace

void TkvMainForm::SetPreferenceClick(QObject*) {
    TPreferenceDlg dlg(this);
    dlg.ChooseColor = [&dlg](TColor& c) { return win::ChooseColor(&dlg, c); };
    dlg.ChooseFile = [&dlg](const std::string& filter, const std::string& start) {
        return OpenFile(&dlg, QtFilter(filter), start);
    };
    dlg.ChoosePicture = [&dlg](const std::string& start) {
        return OpenFile(&dlg,
                        QStringLiteral("Pictures (*.bmp *.png *.jpg *.jpeg *.gif);;All files (*)"),
                        start);
    };
    dlg.ChooseFont = [&dlg](QFont& f) { return win::ChooseFont(&dlg, f); };
    dlg.PlaySound = [this](const std::string& file) {
        // Only this sound: the sessions keep theirs until OK.
        if (BeepPlayer) BeepPlayer(file);
    };
    dlg.Confirm = [&dlg](const QString& text) { return ConfirmBox(&dlg, text); };
    dlg.HasSessions = [this] { return !Sessions.empty(); };
    dlg.ClearHostHistory = [this] { ClearHostHistory(); };
    dlg.ClearAllBuffers = [this] { ClearAllBuffers(); };
    if (PreferenceDialogHook) PreferenceDialogHook(dlg);

    QAction* maxItem = Action("MaxWhenConnection");
    QAction* focusItem = Action("FocusWhenBeep");
    dlg.Load(Settings, maxItem && maxItem->isChecked(), focusItem && focusItem->isChecked());
    dlg.PageControl->setCurrentIndex(LastPreferencePage);
    const bool ok = dlg.exec() == QDialog::Accepted;
    LastPreferencePage = dlg.PageControl->currentIndex();
    if (!ok) {
        DefaultFocus(LineLockCheckBox && LineLockCheckBox->isChecked());
        return;
    }

    const TMainSettings before = Settings;
    bool maxOn = false, focusOn = false;
    dlg.Store(Settings, maxOn, focusOn);
    if (maxItem) maxItem->setChecked(maxOn);
    if (focusItem) focusItem->setChecked(focusOn);
    if (QAction* m = Action("Magnetic")) m->setChecked(Settings.Magnetic);
    SetMagneticOn(Settings.Magnetic);
    const prefs::TChanges changes = prefs::Compare(before, Settings);
    const TMainSettings& s = Settings;
    if (changes.Caption) {
        if (s.Caption)
            HideButtonCaptions();
        else
            ShowButtonCaptions();
    }

    ProgressPass(Sessions, [this, changes, &s](TConnection* c) {
        const prefs::TSessionPlan plan = prefs::PlanSession(changes, s, LookOf(*c));
        if (plan.SetBufferRows) c->SetMaxBufferRows(s.MaxBufferRows);
        c->SetCRLF(s.CRLF);
        c->SetInterval(static_cast<unsigned>(std::max(0, s.DelayInterval)));
        c->SetqpEnabled(s.DecodeQP);
        if (plan.SetBeepInterval)
            c->SetTimer1Interval(static_cast<unsigned>(std::max(0, s.ClearBeepInterval)));
        if (plan.SetFont) {
            QFont f = c->Font();
            f.setFamily(win::Big5ToQString(s.FontName));
            f.setPointSize(std::clamp(s.FontSize, 1, 200));
            f.setBold(s.FontBold);
            f.setItalic(s.FontItalic);
            c->SetFont(f);
        }
        if (plan.SetSpaceV) c->SetSpaceV(s.FontSpaceV);
        if (plan.Refit) Refit(*this, FormOf(c), c);
        c->HttpHyperlinkColor = s.WwwHyperlinkColor;
        c->FtpHyperlinkColor = s.FtpHyperlinkColor;
        c->EmailHyperlinkColor = s.EmailHyperlinkColor;
        if (plan.SetPictureLook) {
            c->SetTranspColor(s.Color);
            c->SetTransparent(s.Transparent);
            c->SetTransparency(s.Transparency);
            c->SetBackStyle(static_cast<TBackgroundStyle>(std::clamp(s.PictureStyle, 0, 4)));
        }
        if (plan.Picture == prefs::TSessionPlan::PictureOn) {
            c->SetGlyphVisible(true);
            c->PictureFileName = s.PictureFilename;
            c->SetGlyph(AssignGlyph(c, s.PictureFilename, true));
        } else if (plan.Picture == prefs::TSessionPlan::PictureOff) {
            c->SetGlyphVisible(false);
        }
        c->Big5BackSpace = s.Big5BackSpace;
        c->Big5Delete = s.Big5Delete;
        c->Big5Arrow = s.Big5Arrow;
        if (plan.CaretImageLoad) {
            // Settings keep file names in code page 950, as the dialog gave them.
            const QImage caret(win::Big5ToQString(s.CaretImageFilename));
            if (!caret.isNull()) c->SetCursorGlyph(caret); // a failed load is ignored
        }
        if (plan.CaretImageDrop) c->SetCursorGlyph(QImage());
        if (plan.SetCaretHeight) c->SetCursorHeight(s.CaretHeight);
        c->update();
    });
    // The palettes every screen points to may have changed in place.
    for (TConnection* c : Sessions)
        c->SetColorTables(Settings.FgColors.data(), Settings.BgColors.data());
    // Copy-on-select decides the copy commands' state: it applies at once.
    UpdateCommands();
    DefaultFocus(LineLockCheckBox && LineLockCheckBox->isChecked());
}
