// TDirectoryDlg commands: New, Update, Delete, Connect, Jump, the selection
// buttons, the group copiers, the script export and the font, picture,
// colour and login-text choices.
#include "dialogs/DirectoryDialog.h"

#include "dialogs/LoginDialog.h"
#include "dialogs/PasswdDialog.h"
#include "dialogs/SiteList.h"
#include "platform/CodePage.h"
#include "platform/ColorDialog.h"
#include "platform/core/WriteError.h"
#include "session/core/ProfileEdit.h"
#include "session/core/ScriptLineWriter.h"
#include "session/core/StrCrypt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using session::TSite;

namespace {

QString Text(const std::string& s) {
    return win::Big5ToQString(s);
}

// " N " when the command acts on N checked sites, nothing otherwise.
QString CountText(bool checked, int n) {
    return checked ? QString(" %1 ").arg(n) : QString();
}

} // namespace

bool TDirectoryDlg::ActOnChecked() const {
    return ApplyCheckBox->isChecked() && CheckedCount() > 0;
}

void TDirectoryDlg::NewClick() {
    QString shown = AliasEdit->text().trimmed();
    // A typed alias is the typed bytes. Only an entry whose bytes do not
    // convert (shown as typed, stored otherwise) lends its own bytes; the
    // default site's hidden 0xFF never goes into a new name.
    std::string alias = shown.isEmpty() ? std::string() : win::QStringToBig5(shown);
    for (int i = 0; i < Count(); ++i)
        if (CheckListBox->item(i)->text() == shown && !session::IsDefaultSiteName(ItemAlias(i)))
            alias = ItemAlias(i);
    // The settings section is no site: its name would mix the two.
    if (alias.empty() || session::IsSettingSection(alias)) {
        ShowErrorBox(this, "別名欄位必須有輸入!");
        AliasEdit->setFocus();
        return;
    }
    // A name the list already shows is taken too: two entries that read
    // alike could not be told apart.
    alias = session::NumberedAlias(alias, [this](const std::string& a) {
        if (IndexOfSite(a) >= 0) return true;
        const QString text = Text(a);
        for (int i = 0; i < Count(); ++i)
            if (CheckListBox->item(i)->text() == text) return true;
        return false;
    });
    int row = AddAlias(alias, false);
    AliasEdit->setText(CheckListBox->item(row)->text());
    if (!SaveSite()) {
        // Nothing was stored: the entry goes again, the typed site stays shown.
        delete CheckListBox->takeItem(row);
        return;
    }
    SelectRow(row);
    EnableSiteButtons(true);
    CheckListBox->setFocus();
}

void TDirectoryDlg::UpdateClick() {
    std::string alias = AliasBytes();
    if (IndexOfSite(alias) < 0 || AliasEdit->text().trimmed().isEmpty()) {
        NewClick();
        return;
    }
    SaveSite();
    TSiteUpdate u;
    u.Alias = alias;
    u.IsDefaultSite = session::IsDefaultSiteName(alias);
    u.Site = ShownSite();
    u.Font = ShownFont();
    u.Unlocked = Unlocked();
    FHost.UpdateSessions(u);
    CheckListBox->setFocus();
}

void TDirectoryDlg::DeleteClick() {
    std::vector<int> rows = TargetRows();
    if (rows.empty()) return;
    bool checked = ActOnChecked();
    if (!ConfirmBox(this, "你確定要刪除這" + CountText(checked, static_cast<int>(rows.size())) +
                              "個記錄嗎?"))
        return;
    std::vector<std::string> aliases;
    for (int r : rows)
        aliases.push_back(ItemAlias(r));
    if (!EditBook([&](win::TIniText& t) {
            for (const auto& a : aliases)
                t.EraseSection(a);
        }))
        return;
    int old = ItemIndex();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        delete CheckListBox->takeItem(*it);
    if (Count() == 0) {
        EnableSiteButtons(false);
        return;
    }
    int row = std::clamp(old, 0, Count() - 1);
    SelectRow(row);
    LoadSite(ItemAlias(row));
    CheckListBox->setFocus();
}

void TDirectoryDlg::ConnectClick() {
    std::vector<int> rows = TargetRows();
    bool checked = ActOnChecked();
    if (checked && !ConfirmBox(this, QString("你確定要連線到這 %1 個站台嗎?").arg(rows.size())))
        return;
    std::vector<std::string> aliases;
    for (int r : rows)
        aliases.push_back(ItemAlias(r));
    for (const auto& alias : aliases) {
        int row = IndexOfSite(alias);
        if (row < 0) continue;
        SelectRow(row);
        LoadSite(alias);
        std::string host = win::QStringToBig5(HostEdit->text());
        if (host.empty()) continue;
        FHost.ConnectSite(alias, host, win::QStringToBig5(PortEdit->text()));
    }
    accept();
}

void TDirectoryDlg::JumpClick() {
    std::string name;
    if (!FHost.CurrentSiteName(name)) return;
    int row = IndexOfSite(name);
    if (row < 0) row = IndexOfSite(session::DefaultSiteName());
    if (row < 0) return;
    SelectRow(row);
    ListClick(CheckListBox->item(row));
    CheckListBox->setFocus();
}

void TDirectoryDlg::SelectAllClick() {
    for (int i = 0; i < Count(); ++i)
        CheckListBox->item(i)->setCheckState(Qt::Checked);
}

void TDirectoryDlg::SelectNoneClick() {
    for (int i = 0; i < Count(); ++i)
        CheckListBox->item(i)->setCheckState(Qt::Unchecked);
}

void TDirectoryDlg::SelectReverseClick() {
    for (int i = 0; i < Count(); ++i)
        CheckListBox->item(i)->setCheckState(ItemChecked(i) ? Qt::Unchecked : Qt::Checked);
}

// ---- group copiers ----------------------------------------------------------------

namespace {

const char* GroupName(unsigned group) {
    switch (group) {
    case session::sgFont:
        return "字型";
    case session::sgOptions:
        return "選項";
    case session::sgLogin:
        return "自動簽入";
    case session::sgAutoSend:
        return "防閒置";
    default:
        return "背景";
    }
}

} // namespace

void TDirectoryDlg::CopyGroupConfirmed(unsigned group, bool checkedOnly) {
    QString where = checkedOnly ? QString("這 %1 個").arg(CheckedCount()) : QString("所有");
    if (!ConfirmBox(this, QString("你確定要複製[%1]到%2站台嗎?").arg(GroupName(group), where)))
        return;
    std::vector<std::string> targets;
    for (int i = 0; i < Count(); ++i)
        if (i != ItemIndex() && (!checkedOnly || ItemChecked(i))) targets.push_back(ItemAlias(i));
    TSite s = ShownSite();
    s.Login = LoginToSave();
    EditBook([&](win::TIniText& t) {
        for (const auto& alias : targets)
            session::WriteSite(t, alias, s, group);
    });
    for (const auto& alias : targets)
        if (session::IsDefaultSiteName(alias)) ReloadDefaultSite();
}

void TDirectoryDlg::CopyGroup(unsigned group, bool checkedOnly) {
    if (group == session::sgLogin && !CheckPassword(false)) return;
    CopyGroupConfirmed(group, checkedOnly);
}

void TDirectoryDlg::CopyAllGroups(bool checkedOnly) {
    for (unsigned group : {session::sgFont, session::sgOptions, session::sgLogin,
                           session::sgAutoSend, session::sgPicture}) {
        if (group == session::sgLogin && !CheckPassword(false)) continue;
        CopyGroupConfirmed(group, checkedOnly);
    }
}

// ---- script export -------------------------------------------------------------------

void TDirectoryDlg::MakeScriptClick() {
    std::vector<int> rows = TargetRows();
    if (rows.empty()) return;
    win::TIniText book = FFile.Read();
    std::vector<std::pair<std::string, TSite>> sites;
    bool anyLogin = false;
    for (int r : rows) {
        sites.emplace_back(ItemAlias(r), session::ReadSite(book, ItemAlias(r), FDefaultFontSize));
        anyLogin = anyLogin || !sites.back().second.LoginText.empty();
    }
    // Every exported login text is written in plain: the password guards
    // all of them, whether or not the site logs in automatically.
    if (anyLogin && !CheckPassword(false)) return;
    if (!ConfirmBox(this, "你確定要將這" +
                              CountText(ActOnChecked(), static_cast<int>(rows.size())) +
                              "個記錄製作成腳本嗎?"))
        return;
    QFileDialog dlg(this, QString(), QString(), "Script files (*.txt);;All files (*)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    std::string path = session::ScriptFileName(dlg.selectedFiles().first().toStdString());

    std::vector<std::string> lines;
    QStringList refused;
    for (const auto& [alias, s] : sites) {
        session::TScriptSite line{alias, s.Hostname, s.Port, s.TriggerStr, s.LoginText};
        if (session::ScriptSiteWritable(line))
            session::AppendScriptLines(line, lines);
        else
            refused << Text(session::SiteDisplayName(alias));
    }
    try {
        session::WritePrivateFile(path, session::ScriptFileText(lines));
    } catch (const std::exception&) {
        ShowErrorBox(this, QString::fromStdString(win::WriteErrorText(path)));
        return;
    }
    if (!refused.isEmpty())
        ShowErrorBox(this, "下列站台的別名、觸發字串、位址或簽入字串無法寫入腳本, 未匯出:\r" +
                               refused.join(", "));
}

// ---- choices -----------------------------------------------------------------------

void TDirectoryDlg::LoginStrClick() {
    if (CheckPassword(false)) {
        if (auto text = TLoginDlg::Edit(this, FLoginText)) {
            SetLoginText(*text);
            std::string alias = AliasBytes();
            if (!AliasEdit->text().isEmpty()) {
                EditBook([&](win::TIniText& t) {
                    t.Set(alias, "LoginKey", session::EncodeStoredKey(*text));
                });
                if (session::IsDefaultSiteName(alias)) ReloadDefaultSite();
            }
        }
    }
    CheckListBox->setFocus();
}

void TDirectoryDlg::FontClick() {
    QFontDialog dlg(ShownFont(), this);
    if (dlg.exec() != QDialog::Accepted) return;
    QFont f = dlg.selectedFont();
    FFontName = win::QStringToBig5(f.family());
    FFontSize = f.pointSize() > 0 ? f.pointSize() : FFontSize;
    FFontBold = f.bold();
    FFontItalic = f.italic();
    ShowFont();
}

void TDirectoryDlg::OpenPictureClick() {
    QString current = PictureStaticText->property("Hint").toString();
    QFileDialog dlg(this, QString(), QFileInfo(current).absolutePath(),
                    "Pictures (*.bmp *.png *.jpg *.jpeg);;All files (*)");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    if (!current.isEmpty()) dlg.selectFile(current);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    ShowPicturePath(win::QStringToBig5(dlg.selectedFiles().first()));
}

void TDirectoryDlg::ColorClick() {
    auto tint = static_cast<std::uint32_t>(FTintColor);
    if (!win::ChooseColor(this, tint)) return;
    FTintColor = static_cast<int>(tint);
    PictureRule();
}
