// TQuillonFrm: the tree and list views of the model and the edit commands.
#include "sitelist/QuillonForm.h"

#include "platform/core/Files.h"
#include "sitelist/SetSiteDialog.h"
#include "sitelist/SiteMessages.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>

using namespace sitelist;

namespace {
constexpr int kLineRole = Qt::UserRole;
}

// ---- the tree follows the model --------------------------------------------------------------

void TQuillonFrm::NodesInserted(int first, int count) {
    FFilling = true;
    for (int n = first; n < first + count; ++n) {
        const TFolderNode& node = FSites.Node(n);
        QTreeWidgetItem* parent = node.Parent < 0 ? TreeView->invisibleRootItem()
                                                  : FItems[static_cast<std::size_t>(node.Parent)];
        auto* item = new QTreeWidgetItem;
        item->setText(0, FromBig5(FSites.FolderName(n)));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        parent->insertChild(FSites.ChildIndex(n), item);
        FItems.insert(FItems.begin() + n, item);
    }
    FFilling = false;
}

void TQuillonFrm::NodesErased(int first, int count) {
    std::vector<QTreeWidgetItem*> gone(FItems.begin() + first, FItems.begin() + first + count);
    FItems.erase(FItems.begin() + first, FItems.begin() + first + count);
    // Deleting an item deletes its children: delete only the roots of the
    // range, all found before the first deletion frees their children.
    std::vector<QTreeWidgetItem*> roots;
    for (QTreeWidgetItem* item : gone)
        if (std::find(gone.begin(), gone.end(), item->parent()) == gone.end())
            roots.push_back(item);
    for (QTreeWidgetItem* item : roots)
        delete item;
}

void TQuillonFrm::NodeChanged(int node) {
    FFilling = true;
    FItems[static_cast<std::size_t>(node)]->setText(0, FromBig5(FSites.FolderName(node)));
    FFilling = false;
}

void TQuillonFrm::Reset() {
    FFilling = true;
    TreeView->clear();
    FItems.clear();
    FFilling = false;
    NodesInserted(0, FSites.NodeCount());
}

// ---- selection ---------------------------------------------------------------------------------

QTreeWidgetItem* TQuillonFrm::NodeItem(int node) const {
    return node >= 0 && node < static_cast<int>(FItems.size())
               ? FItems[static_cast<std::size_t>(node)]
               : nullptr;
}

// The tree selects one folder at most; the current item may be elsewhere
// (a click makes an item current before it selects it).
int TQuillonFrm::SelectedNode() const {
    QList<QTreeWidgetItem*> selected = TreeView->selectedItems();
    if (selected.isEmpty()) return -1;
    QTreeWidgetItem* item = selected.front();
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TQuillonFrm::SelectNode(int node) {
    QTreeWidgetItem* item = NodeItem(node);
    if (!item) return;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    TreeView->setCurrentItem(item);
    item->setSelected(true);
}

std::vector<int> TQuillonFrm::SelectedSiteLines() const {
    std::vector<int> lines;
    for (int i = 0; i < ListView->topLevelItemCount(); ++i)
        if (ListView->topLevelItem(i)->isSelected())
            lines.push_back(ListView->topLevelItem(i)->data(0, kLineRole).toInt());
    return lines;
}

void TQuillonFrm::TreeViewChange() {
    FillSiteList();
    FTreeFocused = true;
    UpdateEditButtons(SelectedNode() >= 0);
}

// Lists the selected folder's sites; selects those on the given lines.
void TQuillonFrm::FillSiteList(const std::vector<int>& selectLines) {
    FFilling = true;
    ListView->clear();
    int node = SelectedNode();
    std::vector<TSiteItem> sites = node >= 0 ? FSites.FillSiteList(node) : std::vector<TSiteItem>{};
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<int>(sites.size()));
    for (const TSiteItem& s : sites) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, FromBig5(s.Fields.Alias));
        item->setText(1, FromBig5(s.Fields.Address));
        item->setText(2, FromBig5(s.Fields.Port));
        item->setText(3, FromBig5(s.Fields.Remark));
        item->setData(0, kLineRole, s.Line);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        items.push_back(item);
    }
    ListView->addTopLevelItems(items);
    for (QTreeWidgetItem* item : items)
        if (std::find(selectLines.begin(), selectLines.end(), item->data(0, kLineRole).toInt()) !=
            selectLines.end()) {
            item->setSelected(true);
            ListView->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
    FFilling = false;
    StatusPanel->setText(QString::number(sites.size()) + " 個站台");
    ConnectAllAct->setEnabled(!sites.empty() && !FConnectAllRunning);
    ListViewChange();
}

void TQuillonFrm::ListViewChange() {
    if (FFilling) return;
    std::vector<int> lines = SelectedSiteLines();
    ConnectAct->setEnabled(!lines.empty());
    QTreeWidgetItem* item = ListView->currentItem();
    if (!lines.empty() && item && item->isSelected()) {
        QString caption = QuillonTitle() + " - " + item->text(0);
        if (!item->text(1).isEmpty()) caption += " (" + item->text(1) + ")";
        setWindowTitle(caption);
    } else {
        setWindowTitle(QuillonTitle());
    }
    if (ListView->hasFocus()) {
        FTreeFocused = false;
        UpdateEditButtons(!lines.empty());
    }
}

void TQuillonFrm::UpdateEditButtons(bool enabled) {
    for (QAction* a : {CutAct, CopyAct, DeleteAct, ModifyAct})
        a->setEnabled(enabled);
    CreateSiteAct->setEnabled(SelectedNode() >= 0);
    UpdatePasteButtons();
}

void TQuillonFrm::UpdatePasteButtons() {
    PasteAct->setEnabled(FSites.CanPaste());
}

// Which view the edit commands act on follows the focus.
bool TQuillonFrm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusIn) {
        FTreeFocused = watched == TreeView;
        UpdateEditButtons(FTreeFocused ? SelectedNode() >= 0 : !SelectedSiteLines().empty());
    } else if (watched == ListView && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        // An in-place editor is a child of its own: its keys do not come here.
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (!SelectedSiteLines().empty()) ConnectClick();
            return true;
        }
        // The rename key edits the alias, whichever column the row was clicked in:
        // the other columns are changed in the site dialog only.
        if (k->key() == Qt::Key_F2 && k->modifiers() == Qt::NoModifier) {
            QTreeWidgetItem* item = ListView->currentItem();
            if (item && item->isSelected()) ListView->editItem(item, 0);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---- in-place renames
// ----------------------------------------------------------------------------

void TQuillonFrm::TreeItemEdited(QTreeWidgetItem* item) {
    if (FFilling) return;
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    int node = static_cast<int>(it - FItems.begin());
    std::string name, error;
    if (!ToBig5Exact(item->text(0), name))
        error = NoBig5Message();
    else
        error = FSites.RenameFolder(node, name);
    if (!error.empty()) SiteError(this, error);
    NodeChanged(node); // shows the stored name: the new one, or the old one back
}

void TQuillonFrm::ListItemEdited(QTreeWidgetItem* item, int column) {
    if (FFilling || column != 0) return;
    int line = item->data(0, kLineRole).toInt();
    std::string alias, error;
    if (!ToBig5Exact(item->text(0), alias))
        error = NoBig5Message();
    else
        error = FSites.RenameSite(line, alias);
    if (!error.empty()) SiteError(this, error);
    FFilling = true;
    item->setText(0, FromBig5(ParseSiteLine(FSites.Line(line)).Alias));
    FFilling = false;
    ListViewChange();
}

// ---- edit commands
// ----------------------------------------------------------------------------------

void TQuillonFrm::CreateFolderClick() {
    int node = FSites.CreateFolder(SelectedNode());
    SelectNode(node);
    TreeView->setFocus();
    if (QTreeWidgetItem* item = NodeItem(node)) TreeView->editItem(item, 0);
}

void TQuillonFrm::CreateSiteClick() {
    int node = SelectedNode();
    if (node < 0) return;
    int line = FSites.CreateSite(node);
    FillSiteList({line});
}

void TQuillonFrm::Modify1Click() {
    if (TreeFocused()) {
        if (QTreeWidgetItem* item = NodeItem(SelectedNode())) TreeView->editItem(item, 0);
        return;
    }
    QTreeWidgetItem* item = ListView->currentItem();
    if (item && item->isSelected()) EditSiteInDialog(item);
}

void TQuillonFrm::EditSiteInDialog(QTreeWidgetItem* item) {
    int line = item->data(0, kLineRole).toInt();
    SetSiteDlg->SetFields(ParseSiteLine(FSites.Line(line)));
    if (SetSiteDlg->exec() != QDialog::Accepted) return;
    TSiteFields site;
    std::string error;
    if (SetSiteDlg->Fields(site, error) && FSites.SetSite(line, site)) FillSiteList({line});
}

void TQuillonFrm::Delete1Click() {
    if (TreeFocused()) {
        int node = SelectedNode();
        if (node < 0) return;
        FSites.DeleteFolder(node);
        FillSiteList();
    } else {
        std::vector<int> lines = SelectedSiteLines();
        if (lines.empty()) return;
        FSites.DeleteSites(lines);
        FillSiteList();
    }
    UpdatePasteButtons();
}

void TQuillonFrm::Copy1Click() {
    if (TreeFocused()) {
        int node = SelectedNode();
        if (node >= 0) FSites.CopyFolder(node);
    } else {
        FSites.CopySites(SelectedSiteLines());
    }
    UpdatePasteButtons();
}

void TQuillonFrm::Paste1Click() {
    int node = SelectedNode();
    if (node < 0) return;
    std::vector<int> pasted;
    std::string error = FSites.Paste(node, &pasted);
    if (!error.empty()) {
        SiteError(this, error);
        return;
    }
    FillSiteList(pasted);
}

void TQuillonFrm::LoadSiteListClick() {
    QString path = ChooseImportFile ? ChooseImportFile() : QString();
    if (path.isEmpty()) return;
    try {
        std::string bytes;
        if (!win::ReadWholeFile(path.toStdString(), bytes)) return;
        int node = SelectedNode();
        FSites.Import(node, bytes);
        FSites.Modified = true;
        FillSiteList();
    } catch (const std::exception&) {
        // An unreadable import adds nothing.
    }
}

void TQuillonFrm::ExpandSubDirectoryClick() {
    if (QTreeWidgetItem* item = NodeItem(SelectedNode()))
        TreeView->expandRecursively(TreeView->indexFromItem(item));
}

void TQuillonFrm::ExpandAllSubDirectoryClick() {
    for (int i = 0; i < TreeView->topLevelItemCount(); ++i)
        TreeView->expandRecursively(TreeView->indexFromItem(TreeView->topLevelItem(i)));
}
