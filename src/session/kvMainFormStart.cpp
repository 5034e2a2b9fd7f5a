// The command line at the first show, the hand-over from a second start
// (WM_USER+402), the connect request (WM_USER+401) and the offer to become
// the telnet-link handler.
#include "session/kvMainForm.h"

#include "dialogs/InformationDialog.h"
#include "platform/Artwork.h"
#include "platform/CodePage.h"
#include "platform/core/Files.h"
#include "platform/core/Folders.h"
#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "platform/core/TelnetHandler.h"
#include "platform/core/WriteError.h"
#include "session/core/HandlerCommand.h"

#include <QCheckBox>

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>

std::string TMainFormEnvironment::ProgramFolder() {
    return win::GetProgramFolder();
}
std::string TMainFormEnvironment::WindowsFolder() {
    return win::GetWindowsFolder();
}
std::string TMainFormEnvironment::TempFolder() {
    return win::GetTempFolder();
}
std::string TMainFormEnvironment::DesktopFolder() {
    return win::GetDesktopFolder();
}
std::string TMainFormEnvironment::SettingsFolder() {
    return win::GetSettingsFolder(ProgramFolder(), {"Brannoc.ini"});
}
std::string TMainFormEnvironment::ProgramPath() {
    return QCoreApplication::applicationFilePath().toLocal8Bit().toStdString();
}

void TkvMainForm::HandleCommandLine() {
    TConnectFields boxes{win::QStringToBig5(HostNameComboBox->currentText()), PendingHost,
                         win::QStringToBig5(PortEdit->text())};
    TStartRequest r = ReadCommandLine(FirstThree(FArgs), boxes);
    switch (r.Action) {
    case TStartAction::None:
        // The focus goes where the sessions code decides (no session yet:
        // the host box).
        HostNameComboBox->setFocus();
        return;
    case TStartAction::RunScript:
        OpenDialogFileName = r.ScriptFile;
        CommandLineScript = true;
        FCommandLinePending = win::PostMessage(FHandle, WM_RUN_SCRIPT, 0, 0);
        return;
    case TStartAction::Connect:
        // The site is named by the host box now, not by an earlier choice.
        SiteNameOverride.clear();
        HostNameComboBox->setEditText(win::Big5ToQString(r.Fields.HostBox));
        if (r.SetPendingHost) PendingHost = r.Fields.PendingHost;
        PortEdit->setText(win::Big5ToQString(r.Fields.PortBox));
        PortGiven = r.Fields.PortGiven;
        FCommandLinePending = win::PostMessage(FHandle, WM_CONNECT_REQUEST, 0, 0);
        return;
    }
}

void TkvMainForm::WMConnectRequest() {
    ConnectClick(Action(QStringLiteral("Connect")));
}

// A second start wrote KVpass and posted this message with its ticket.
// The request is read once: the ticket is taken out of the file, which
// also tells the waiting second start that the file is free. A request
// without a host (or no file at all) only brings the window forward.
void TkvMainForm::WMRemoteConnect(win::WPARAM ticket) {
    if (OnIpcOpen) OnIpcOpen();
    std::string path = TempDir + "KVpass";
    std::string bytes;
    try {
        win::ReadWholeFile(path, bytes);
    } catch (const win::EFileError&) {
        bytes.clear();
    }
    bool hasHost = false;
    THandover h = ReadHandoverFile(bytes, &hasHost);
    if (ticket != 0 && h.Ticket != std::to_string(ticket)) return; // not this request's file
    if (!h.Ticket.empty()) {
        win::TIniText ini(bytes);
        ini.DeleteKey("Para", "Ticket");
        try {
            win::WriteTempFileAtomic(path, ini.Text());
        } catch (const win::EFileError&) {
            // The writer gives up waiting after a while; the request stands.
        }
    }
    BringForward();
    if (!hasHost) return;
    // The request names its own site: the name of the session that was
    // current (kept while it was) must not title the new one.
    SiteNameOverride.clear();
    HostNameComboBox->setEditText(win::Big5ToQString(h.Alias));
    PendingHost = h.Host;
    PortEdit->setText(win::Big5ToQString(h.Port));
    PortGiven = h.PortGiven;
    ConnectClick(Action(QStringLiteral("Connect")));
}

// Offered once per start until the user ticks "do not ask again": when the
// telnet-link handler is not this program.
void TkvMainForm::OfferTelnetHandler() {
    std::string command;
    if (!FEnv->ReadTelnetHandler(&command)) return; // the handler settings cannot be opened
    std::string self = QFileInfo(QString::fromLocal8Bit(FEnv->ProgramPath().c_str()))
                           .fileName()
                           .toLocal8Bit()
                           .toStdString();
    if (HandlerNamesProgram(command, self)) return;
    bool dontAsk = false;
    if (FEnv->AskDefaultTelnet(this, &dontAsk)) {
        if (!FEnv->WriteTelnetHandler(HandlerCommandFor(FEnv->ProgramPath())))
            win::ShowWriteErrorOnce(FEnv->ProgramPath());
    }
    Settings.Ask = dontAsk;
    try {
        win::TIniFile(SettingsFileName).WriteBool("Windows", "Ask", dontAsk);
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(SettingsFileName);
    }
}

bool TMainFormEnvironment::AskDefaultTelnet(QWidget* owner, bool* dontAsk) {
    TInformationDlg dlg(QString::fromUtf8("你要讓Brannoc成為預設的Telnet程式嗎?"),
                        QString::fromUtf8("下次不要再詢問"), owner);
    bool yes = dlg.exec() == QDialog::Accepted;
    *dontAsk = dlg.CheckBox->isChecked();
    return yes;
}
bool TMainFormEnvironment::ReadTelnetHandler(std::string* command) {
    return win::GetRegistryDefaultValue(win::HKEY_CLASSES_ROOT, win::TelnetOpenCommandKey,
                                        *command) == win::ERROR_SUCCESS;
}
bool TMainFormEnvironment::WriteTelnetHandler(const std::string& command) {
    win::DesktopIconName(win::ProgramIconName); // the entry's icon, findable by name
    return win::SetRegistryDefaultValue(win::HKEY_CLASSES_ROOT, win::TelnetOpenCommandKey, command);
}
