// Main window: running a script file (one connect per block, the reader in
// session/core/ScriptFile.h decides what each block gets) and writing one
// from the open sessions.
#include "dialogs/DirectoryDialog.h"
#include "dialogs/PasswdDialog.h"
#include "platform/CodePage.h"
#include "platform/core/Files.h"
#include "platform/core/WriteError.h"
#include "session/Connection.h"
#include "session/DirectoryHost.h"
#include "session/ScriptDialog.h"
#include "session/core/ProfileEdit.h"
#include "session/core/ScriptFile.h"
#include "session/core/ScriptLineWriter.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QToolButton>
#include <memory>
#include <sys/stat.h>

namespace {

QString Q(const std::string& big5) {
    return win::Big5ToQString(big5);
}

// The file the run takes, as the file system's bytes. The box shows names
// decoded, and a name that is not valid in that encoding (Big5 bytes on an
// older disk) does not encode back to itself: the bytes it was shown from
// are taken instead. A command-line script never passed through the box.
std::string ChosenScriptName(const TScriptDlg& dlg, const std::string& openFileName,
                             bool commandLine) {
    if (commandLine) return openFileName;
    const QString shown = dlg.ScriptComboBox->currentText();
    const auto showsAs = [&](const std::string& bytes) {
        return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))) ==
               shown;
    };
    if (!openFileName.empty() && showsAs(openFileName)) return openFileName;
    for (const std::string& name : dlg.History)
        if (showsAs(name)) return name;
    return dlg.FileName();
}

} // namespace

void TkvMainForm::ScriptBox(const QString& text) {
    if (ScriptMessage)
        ScriptMessage(text);
    else
        ShowErrorBox(this, text);
}

void TkvMainForm::ConnectScriptBlock(const session::TScriptBlock& b) {
    HostNameComboBox->setCurrentText(Q(b.Name));
    ScriptHost = b.Host;
    ScriptPort = b.Port;
    ScriptKeyWord = b.KeyWord;
    ScriptTrigger = b.Trigger;
    ScriptLeft = b.Left;
    ScriptTop = b.Top;
    ScriptLoginGiven = b.LoginGiven;
    PendingScript = b.Login;
    if (QAction* a = Action(QStringLiteral("ApplyDefaultSettingMenuItem")))
        a->setChecked(b.ApplyDefault);
    ScriptBlockConnecting = true;
    try {
        ConnectClick(nullptr);
    } catch (const std::exception&) {
        // One block that fails does not stop the run.
    }
    ScriptBlockConnecting = false;
    // Nothing of this block reaches a later connect, the user's own included.
    ScriptLoginGiven = false;
    PendingScript.clear();
    ScriptHost.clear();
    ScriptLeft = ScriptTop = session::kScriptNoPosition;
}

void TkvMainForm::ScriptBlockToReusedSession(TConnection* s) {
    if (!ScriptBlockConnecting || !s) return;
    // A reused session takes the block as a new window would: its login
    // text, then the site settings with the block's host, keyword and
    // trigger (a checked DontLogin still wins).
    s->LoginScript = TakePendingScript();
    ApplySiteSettings(s);
    if (Action(QStringLiteral("DontLogin")) && Action(QStringLiteral("DontLogin"))->isChecked())
        s->SetTriggerCnt(0);
    s->SavedKeyWord = s->KeyWord();
    s->SavedTriggerCnt = s->TriggerCnt();
}

void TkvMainForm::RunScriptClick(QObject*) {
    QAction* runAction = Action(QStringLiteral("RunScript"));
    QToolButton* runButton = findChild<QToolButton*>(QStringLiteral("ScriptSpeedBtn"));
    QAction* applyDefault = Action(QStringLiteral("ApplyDefaultSettingMenuItem"));
    QAction* dontLogin = Action(QStringLiteral("DontLogin"));
    // One run at a time: a start-up request or a click arriving while a run
    // processes events waits for nothing and starts nothing.
    if (FScriptRunning) return;
    // 1.
    if (runAction) runAction->setEnabled(false);
    if (runButton) runButton->setEnabled(false);
    auto dlg = std::make_unique<TScriptDlg>(SettingsFileName, OpenDialogFileName, this);
    dlg->StartProgram = StartProgram;

    bool applyDefaultChecked = applyDefault && applyDefault->isChecked();
    bool itemsLocked = false;
    // 7. and 8. on every way out, exceptions included.
    struct TRestore {
        TkvMainForm* F;
        std::unique_ptr<TScriptDlg>& Dlg;
        QAction *Run, *ApplyDefault, *DontLogin;
        QToolButton* Button;
        bool& Locked;
        bool& Checked;
        ~TRestore() {
            F->ScriptHost.clear();
            F->PendingScript.clear();
            F->ScriptLoginGiven = false;
            F->ScriptBlockConnecting = false;
            if (Locked) {
                if (ApplyDefault) {
                    ApplyDefault->setChecked(Checked);
                    ApplyDefault->setEnabled(true);
                }
                if (DontLogin) DontLogin->setEnabled(true);
            }
            Dlg.reset();
            F->CommandLineScript = false;
            F->FScriptRunning = false;
            if (Run) Run->setEnabled(true);
            if (Button) Button->setEnabled(true);
            F->CaptionSuffix = " - " + F->GetSiteName();
            F->ShowCaption();
            F->DefaultFocus(false);
        }
    } restore{this,      dlg,       runAction,   applyDefault,
              dontLogin, runButton, itemsLocked, applyDefaultChecked};
    FScriptRunning = true;

    // 2.
    if (CommandLineScript) {
        dlg->SetFileName(OpenDialogFileName);
    } else {
        OpenDialogFileName =
            dlg->History.empty() ? std::string("Script.txt") : dlg->History.front();
        dlg->FormShow();
        const bool ok =
            ScriptDialogExec ? ScriptDialogExec(*dlg) : dlg->exec() == QDialog::Accepted;
        if (!ok) return;
    }
    // 3.
    applyDefaultChecked = applyDefault && applyDefault->isChecked();
    if (applyDefault) applyDefault->setEnabled(false);
    if (dontLogin) dontLogin->setEnabled(false);
    itemsLocked = true;
    // 4.
    const std::string chosen = ChosenScriptName(*dlg, OpenDialogFileName, CommandLineScript);
    if (!chosen.empty()) session::AddScriptHistory(dlg->History, chosen);
    const std::string file = dlg->History.empty() ? std::string() : dlg->History.front();
    // 5.
    std::string bytes;
    bool found = false;
    try {
        struct stat st {};
        found = !file.empty() && ::stat(file.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
                win::ReadWholeFile(file, bytes);
        if (!found) {
            ScriptBox(QString::fromUtf8("所指定的腳本檔案不存在!"));
            return;
        }
    } catch (const std::exception& e) {
        // The reason names the file itself when it comes from the file layer.
        const QString name = QFile::decodeName(file.c_str());
        const QString why = QString::fromLocal8Bit(e.what());
        ScriptBox(QString::fromUtf8("無法讀取腳本檔案 ") +
                  (why.startsWith(name) ? why : name + ": " + why));
        return;
    }
    SiteNameOverride.clear();
    session::TScriptReader reader;
    const std::vector<std::string> lines = session::ScriptFileLines(bytes);
    bytes.clear();
    // Blocks that reuse an idle session open nothing; the others count
    // towards the run's limit, and the first block past it ends the run.
    int opened = 0;
    const auto connect = [&](const session::TScriptBlock& block) {
        if (opened >= ScriptSessionLimit) {
            ScriptBox(
                QString::fromStdString(session::ScriptSessionLimitMessage(ScriptSessionLimit)));
            return false;
        }
        const std::size_t before = Sessions.size();
        ConnectScriptBlock(block);
        if (Sessions.size() > before) ++opened;
        return true;
    };
    for (const std::string& line : lines) {
        if (FClosed || QCoreApplication::closingDown()) return;
        if (auto block = reader.Line(line))
            if (!connect(*block)) return;
    }
    // 6.
    if (auto block = reader.Finish()) {
        if (!connect(*block)) return;
        QCoreApplication::processEvents();
    }
}

void TkvMainForm::MakeScriptClick(QObject*) {
    // 1. Every login text is written in plain: the address book's password guards it.
    if (!::DirectoryDlg || !::DirectoryDlg->CheckPassword(false)) return;
    // 2.
    if (ScriptConfirm ? !ScriptConfirm()
                      : !ConfirmBox(this, QString::fromUtf8("你確定要將所有連線製作成腳本嗎?")))
        return;
    // 3.
    std::string path;
    if (ScriptSaveName) {
        path = ScriptSaveName();
    } else {
        QFileDialog dlg(this, QString(), QString(),
                        QStringLiteral("Script files (*.txt);;All files (*)"));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
        path = QFile::encodeName(dlg.selectedFiles().first()).toStdString();
    }
    if (path.empty()) return;
    path = session::ScriptFileName(path);
    // 4.
    std::vector<std::string> lines;
    QStringList refused;
    for (TConnection* s : Sessions) {
        const session::TScriptSite site{s->SiteName, s->HostName(), s->Port(), s->SavedKeyWord,
                                        s->LoginScript};
        if (session::ScriptSiteWritable(site))
            session::AppendScriptLines(site, lines);
        else
            refused << Q(s->SiteName);
    }
    // 5.
    try {
        session::WritePrivateFile(path, session::ScriptFileText(lines));
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(path);
        return;
    }
    if (!refused.isEmpty())
        ScriptBox(QString::fromUtf8("下列連線的站名、觸發字串、位址或簽入字串無法寫入腳本, "
                                    "未匯出:\r") +
                  refused.join(", "));
}
