// The Edit and File commands over the current session (copy, paste, clear,
// save, print, upload), the find window and the trace replay. Each command
// is a guard around one operation of the session's screen or telnet part;
// the clipboard commands disable their own controls while they run and give
// the focus back afterwards.
#include "session/kvMainForm.h"

#include "dialogs/FindDialog.h"
#include "dialogs/PasswdDialog.h"
#include "dialogs/TraceDialog.h"
#include "platform/WindowFrame.h"
#include "platform/CodePage.h"
#include "platform/FontDialog.h"
#include "platform/core/Beep.h"
#include "platform/core/Files.h"
#include "screen/ScreenExport.h"
#include "session/core/ProfileEdit.h"
#include "session/core/TextLines.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStringList>
#include <initializer_list>
#include <memory>

namespace {

const char* const kTextFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";

TConnection* Current(const TkvMainForm& f) {
    if (f.CurrentSession < 0 || f.CurrentSession >= static_cast<int>(f.Sessions.size()))
        return nullptr;
    return f.Sessions[f.CurrentSession];
}

// The command's own controls are off while it runs; the rules decide
// afterwards.
class TOwnControlsOff {
public:
    TOwnControlsOff(TkvMainForm& f, std::initializer_list<const char*> names) : FForm(f) {
        for (const char* n : names)
            if (QAction* a = f.Action(QString::fromLatin1(n))) a->setEnabled(false);
    }
    ~TOwnControlsOff() { FForm.UpdateCommands(); }
    TOwnControlsOff(const TOwnControlsOff&) = delete;
    TOwnControlsOff& operator=(const TOwnControlsOff&) = delete;

private:
    TkvMainForm& FForm;
};

// The session's rows for the find window, read with its render guard held.
class TCrtFindRows : public findtext::TFindRows {
public:
    TBgCrt* Crt = nullptr;
    int Columns() const override { return Crt->Screen().Columns(); }
    int Rows() const override { return Crt->Screen().Rows(); }
    int TopRow() const override { return Crt->Screen().TopRow(); }
    int ViewRow() const override { return Crt->Screen().ViewRow(); }
    int RowCount() const override { return Crt->Screen().RowCount(); }
    void ReadRow(int y, unsigned char* bytes) const override {
        const TRow& row = Crt->Screen().Row(y);
        for (int i = 0; i < RowCells; ++i)
            bytes[i] = row.Cells[i].Char;
    }
    std::uint64_t DroppedRows() const override { return Crt->Screen().DroppedRows(); }
    void BeginRead() override { Crt->Screen().Rendering.lock(); }
    void EndRead() override { Crt->Screen().Rendering.unlock(); }
    bool HasSelection() const override { return Crt->SelectionShown; }
    int SelLeft() const override { return Crt->SelLeft(); }
    int SelTop() const override { return Crt->SelTop(); }
    int SelRight() const override { return Crt->SelRight(); }
    void SetViewRow(int row) override { Crt->SetViewRow(row); }
    void SetSelection(int l, int t, int r, int b) override { Crt->SetSelection(l, t, r, b); }
    void ClearSelection() override { Crt->ClearSelection(); }
};

// The program's one printer, owned by the main window.
class TPrinterHolder : public QObject {
public:
    using QObject::QObject;
    QPrinter Printer{QPrinter::HighResolution};
};

QString ReadError(const QString& path, const QString& why) {
    return QString::fromUtf8("無法讀取檔案 ") + path + "\n" + why;
}

// Reads a whole file; on failure shows the reason and returns false.
bool ReadFileOrSay(QWidget* owner, const std::string& name, QByteArray& out) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowErrorBox(owner, ReadError(path, file.errorString()));
        return false;
    }
    out = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ShowErrorBox(owner, ReadError(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" as a Qt filter list.
QString TkvMainForm::QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromUtf8(filter).split('|');
    QStringList out, programs;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        patterns.replace("*.*", "*");
        QString desc = parts[i];
        const int open = desc.indexOf('(');
        if (open > 0) desc = desc.left(open).trimmed();
        // Programs here carry no ".exe": such an entry would show none of
        // them, so it follows the others and "All files" comes first.
        (patterns.compare(QLatin1String("*.exe"), Qt::CaseInsensitive) == 0 ? programs : out)
            << desc + " (" + patterns + ")";
    }
    return (out + programs).join(";;");
}

// ---- Dialog helpers --------------------------------------------------------

static std::string ChooseFile(TkvMainForm& f, const std::string& filter, bool save) {
    if (f.ChooseFileName) return f.ChooseFileName(filter, save);
    QFileDialog dlg(&f, QString(), QString(), TkvMainForm::QtFilter(filter));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save) dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dlg.selectedFiles().first()).toStdString();
}

QPrinter& TkvMainForm::Printer() {
    // The holder has no meta-object of its own, so a findChild cast would
    // take any child for it: the type is checked by dynamic_cast instead.
    for (QObject* child : children())
        if (auto* holder = dynamic_cast<TPrinterHolder*>(child)) return holder->Printer;
    return (new TPrinterHolder(this))->Printer;
}

// ---- Clipboard -------------------------------------------------------------

void TkvMainForm::CopyClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s || !s->SelectionShown) return;
    {
        TOwnControlsOff off(*this, {"Copy", "CopyAnsi"});
        s->CopySelection();
        s->ClearSelection();
    }
    DefaultFocus(LineLocked());
}

void TkvMainForm::CopyAnsiClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s || !s->SelectionShown) return;
    {
        TOwnControlsOff off(*this, {"Copy", "CopyAnsi"});
        s->CopySelectionAnsi();
        s->ClearSelection();
    }
    DefaultFocus(LineLocked());
}

void TkvMainForm::PasteClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s) return;
    {
        TOwnControlsOff off(*this, {"Paste", "PasteAnsi"});
        s->Paste();
    }
    DefaultFocus(LineLocked());
}

void TkvMainForm::PasteAnsiClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s) return;
    int mode = 2;
    if (QAction* a = Action("AnsiEsc"); a && a->isChecked())
        mode = 0;
    else if (QAction* c = Action("AnsiCtrl"); c && c->isChecked())
        mode = 1;
    {
        TOwnControlsOff off(*this, {"Paste", "PasteAnsi"});
        s->PasteAnsi(mode);
    }
    DefaultFocus(LineLocked());
}

void TkvMainForm::CopyPasteClick(QObject* sender) {
    TConnection* s = Current(*this);
    if (!s || !s->SelectionShown) return;
    CopyClick(sender);
    PasteClick(sender);
}

void TkvMainForm::CopyScreenClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s) return;
    s->CopyScreen();
    DefaultFocus(LineLocked());
}

void TkvMainForm::CopyBufferClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s) return;
    s->CopyBuffer();
    DefaultFocus(LineLocked());
}

void TkvMainForm::ClearScreenClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s) return;
    s->ClearScreen();
    DefaultFocus(LineLocked());
}

void TkvMainForm::ClearBufferClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s) return;
    s->ClearSelection(); // the rows under it go
    s->ClearHistory();
    DefaultFocus(LineLocked());
}

void TkvMainForm::WirePopupLink() {
    connect(DetachedFormPopupMenu, &QMenu::aboutToShow, this, [this] {
        TConnection* s = PopupSession ? PopupSession.data() : Current(*this);
        PopupSession.clear();
        RecordPopupLink(s);
    });
}

void TkvMainForm::RecordPopupLink(TConnection* s) {
    // The screen forgets its hover link once the mouse leaves it for the
    // pop-up, so the link is taken as the pop-up opens, and the two link
    // commands act on this record only.
    PopupLinkText = s ? s->HoverLinkText : std::string();
    PopupLinkKind = s ? s->HoverLinkKind : 0;
    const bool link = !PopupLinkText.empty();
    for (const char* name : {"CopyHyperlink", "GotoHyperlink"})
        if (QAction* a = Action(QString::fromLatin1(name))) a->setEnabled(link);
}

void TkvMainForm::CopyHyperlinkClick(QObject*) {
    if (!Current(*this) || PopupLinkText.empty()) return;
    screen::CopyBig5ToClipboard(PopupLinkText);
}

void TkvMainForm::GotoHyperlinkClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s || PopupLinkText.empty()) return;
    // A copy: opening the link may run the loop and open another pop-up.
    const std::string text = PopupLinkText;
    SessionHyperlink(s, text, PopupLinkKind);
}

// ---- Save, print, upload -------------------------------------------------------

void TkvMainForm::SaveScreenClick(QObject*) {
    if (!Current(*this)) return;
    const std::string name = ChooseFile(*this, kTextFilter, true);
    TConnection* s = Current(*this); // the dialog ran the event loop
    if (name.empty() || !s) return;
    try {
        s->SaveScreenToFile(name);
    } catch (const win::EFileError& e) {
        ShowErrorBox(this, QString::fromUtf8(e.what()));
    }
}

void TkvMainForm::SaveBufferClick(QObject*) {
    if (!Current(*this)) return;
    const std::string name = ChooseFile(*this, kTextFilter, true);
    TConnection* s = Current(*this);
    if (name.empty() || !s) return;
    try {
        s->SaveBufferToFile(name);
    } catch (const win::EFileError& e) {
        ShowErrorBox(this, QString::fromUtf8(e.what()));
    }
}

// The print-font choice, starting from the session's printer font. Every
// face is offered: the screen's CJK faces are not marked fixed-pitch.
static bool PickPrintFont(TkvMainForm& f, QFont& font) {
    if (f.ChoosePrintFont) return f.ChoosePrintFont(font);
    return win::ChooseFont(&f, font);
}

// The printer a printout goes to: the program's printer when its set-up
// chose a PDF file or a system printer exists; else one over a PDF file
// asked for now, for this printout only (the next print asks again rather
// than writing over it), with the set-up's page layout. Null when the user
// cancels.
static QPrinter* ReadyPrinter(TkvMainForm& f, std::unique_ptr<QPrinter>& once) {
    QPrinter& p = f.Printer();
    if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty()) return &p;
    if (p.outputFormat() == QPrinter::NativeFormat && p.isValid() &&
        !QPrinterInfo::availablePrinters().isEmpty())
        return &p;
    const std::string name = ChooseFile(f, "PDF files (*.pdf)|*.pdf", true);
    if (name.empty()) return nullptr;
    once = std::make_unique<QPrinter>(QPrinter::HighResolution);
    once->setOutputFormat(QPrinter::PdfFormat);
    once->setOutputFileName(QFile::decodeName(QByteArray::fromStdString(name)));
    once->setPageLayout(p.pageLayout());
    return once.get();
}

static void PrintRows(TkvMainForm& f, bool buffer) {
    TConnection* s = Current(f);
    if (!s) return;
    QFont font = s->PrinterFont();
    if (!PickPrintFont(f, font)) return;
    s = Current(f);
    if (!s) return;
    s->SetPrinterFont(font);
    std::unique_ptr<QPrinter> once;
    QPrinter* printer = ReadyPrinter(f, once);
    if (!printer) return;
    s = Current(f);
    if (!s) return;
    const int pages = buffer ? s->PrintBuffer(*printer) : s->PrintScreen(*printer);
    if (pages <= 0) {
        // A PDF file that cannot be written is named, so the user knows which.
        QString text = QString::fromUtf8("列印失敗");
        if (printer->outputFormat() == QPrinter::PdfFormat)
            text += "\n" + printer->outputFileName();
        ShowErrorBox(&f, text);
    }
    f.DefaultFocus(f.LineLockCheckBox && f.LineLockCheckBox->isChecked());
}

void TkvMainForm::PrintScreenClick(QObject*) {
    PrintRows(*this, false);
}

void TkvMainForm::PrintBufferClick(QObject*) {
    PrintRows(*this, true);
}

void TkvMainForm::SetupPrinterClick(QObject*) {
    QPrintDialog dlg(&Printer(), this);
    dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
    dlg.exec();
    DefaultFocus(LineLocked());
}

void TkvMainForm::UploadClick(QObject*) {
    TConnection* s = Current(*this);
    if (!s || !s->IsConnected()) return;
    const std::string name = ChooseFile(*this, kTextFilter, false);
    if (name.empty()) return;
    // The whole file first: a file that cannot be read sends nothing.
    QByteArray bytes;
    if (!ReadFileOrSay(this, name, bytes)) return;
    s = Current(*this);
    if (!s || !s->IsConnected()) return;
    const std::string out = textlines::UploadBytes(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!out.empty()) s->SendStr(out);
}

// ---- Find ------------------------------------------------------------------------

TFForm* TkvMainForm::EnsureFindForm() {
    if (FindForm) return FindForm;
    FindForm = new TFForm(this);
    auto rows = std::make_shared<TCrtFindRows>();
    FindForm->CurrentRows = [this, rows]() -> findtext::TFindRows* {
        TConnection* s = Current(*this);
        if (!s) return nullptr;
        rows->Crt = s;
        return rows.get();
    };
    // [Find] is written when the window goes with the main window; the path
    // is copied, as the main window's members are gone by then.
    const std::string path = SettingsFileName;
    FindForm->OnSave = [path](const findtext::TFindSettings& s) {
        if (path.empty()) return;
        try {
            win::TIniText ini = session::ReadProfileForEdit(path);
            s.Save(ini);
            session::WriteProfile(path, ini);
        } catch (const std::exception&) {
            // Unwritable settings were already reported by the main save.
        }
    };
    findtext::TFindSettings settings;
    settings.Load(session::ReadProfile(SettingsFileName));
    FindForm->Load(settings, win::FrameRect(this));
    return FindForm;
}

void TkvMainForm::FindClick(QObject*) {
    TFForm* f = EnsureFindForm();
    f->show();
    f->raise();
    f->activateWindow();
}

void TkvMainForm::FindNextClick(QObject* sender) {
    TFForm* f = EnsureFindForm();
    if (!f->SearchText().empty())
        f->FindNextBtn->click();
    else
        FindClick(sender);
}

// ---- Trace replay ------------------------------------------------------------------

void TkvMainForm::LoadTraceClick(QObject*) {
    if (!Current(*this)) return;
    if (!TraceDlg) {
        TraceDlg = new TTraceDlg(this);
        TraceDlg->CurrentScreen = [this]() -> TCustomVtEmul* { return Current(*this); };
        TraceDlg->OnEscape = [] { win::MessageBeep(0); };
    }
    TraceDlg->show();
    TraceDlg->raise();
    if (TraceBusy) return;
    TraceBusy = true;
    const std::string name = ChooseFile(*this, kTextFilter, false);
    if (name.empty()) {
        TraceBusy = false;
        return;
    }
    QByteArray bytes;
    if (!ReadFileOrSay(this, name, bytes)) {
        TraceBusy = false;
        return;
    }
    auto feeder = std::make_unique<trace::TTraceFeeder>(trace::ParseFile(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    if (!feeder->HasData()) {
        ShowErrorBox(this, QString::fromUtf8("此檔案非追蹤檔的格式!"));
        TraceBusy = false;
        return;
    }
    QPointer<TkvMainForm> self(this);
    TraceDlg->Start(std::move(feeder), [self] {
        if (self) self->TraceBusy = false;
    });
}
