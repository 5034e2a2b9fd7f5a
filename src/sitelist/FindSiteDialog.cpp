#include "sitelist/FindSiteDialog.h"

#include "sitelist/OffBtn.h"
#include "sitelist/SiteMessages.h"
#include "sitelist/core/SiteSearch.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace sitelist;

TFindSiteDlg::TFindSiteDlg(const TSiteList& list, std::string keyWord,
                           std::function<void(const TSiteFields&, int)> connect, QWidget* parent)
    : QDialog(parent), FList(list), FConnect(std::move(connect)) {
    setObjectName("FindSiteDlg");
    setWindowTitle("搜尋站台");
    KeyWordEdit = new QLineEdit(this);
    OfficeBtn = new TOfficeButton(this);
    OfficeBtn->SetCaption("搜尋");
    OfficeBtn->SetOffice2000Look(false);
    OfficeBtn->SetColor(0xE1FFFF);
    OfficeBtn->SetShowGlyph(true);
    OfficeBtn->SetTransparent(true);
    OfficeBtn->SetTabStop(false);
    QFont hover("MS Sans Serif");
    hover.setUnderline(true);
    OfficeBtn->SetHoverFont(hover);
    // The button keeps its own size (70 x 23) beside the stretching field.
    OfficeBtn->setFixedSize(OfficeBtn->size());
    ListView2 = new QTreeWidget(this);
    ListView2->setColumnCount(4);
    ListView2->setHeaderLabels({"站台名稱", "位址", "通訊埠", "資料匣"});
    ListView2->setRootIsDecorated(false);
    ListView2->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* top = new QHBoxLayout;
    top->addWidget(KeyWordEdit, 1);
    top->addWidget(OfficeBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ListView2, 1);
    resize(520, 360);

    QObject::connect(OfficeBtn, &TOfficeButton::Click, this, &TFindSiteDlg::OfficeBtnClick);
    QObject::connect(ListView2, &QTreeWidget::itemDoubleClicked, this,
                     &TFindSiteDlg::ListView2DblClick);
    KeyWordEdit->installEventFilter(this);
    ListView2->installEventFilter(this);

    KeyWordEdit->setText(FromBig5(keyWord));
    if (!keyWord.empty()) OfficeBtnClick();
}

std::string TFindSiteDlg::KeyWord() const {
    std::string big5;
    ToBig5Exact(KeyWordEdit->text(), big5);
    return big5;
}

void TFindSiteDlg::OfficeBtnClick() {
    ListView2->clear();
    FHits.clear();
    std::string key;
    if (ToBig5Exact(KeyWordEdit->text(), key)) {
        for (const TSearchHit& hit : SearchSites(FList, key)) {
            auto* item = new QTreeWidgetItem(ListView2);
            item->setText(0, FromBig5(hit.Fields.Alias));
            item->setText(1, FromBig5(hit.Fields.Address));
            item->setText(2, FromBig5(hit.Fields.Port));
            item->setText(3, FromBig5(hit.FolderPath));
            FHits.push_back(hit.Fields);
        }
    }
    // A keyword without a Big5 form occurs in no line: the list stays empty.
    if (isVisible()) FocusKeyWord();
}

void TFindSiteDlg::ListView2DblClick() {
    int i = ListView2->indexOfTopLevelItem(ListView2->currentItem());
    if (i < 0 || i >= static_cast<int>(FHits.size()) || !ListView2->currentItem()->isSelected())
        return;
    const TSiteFields& site = FHits[static_cast<std::size_t>(i)];
    if (site.Address.empty() || !FConnect) return;
    FConnect(site, PortNumber(site.Port));
}

void TFindSiteDlg::FocusKeyWord() {
    KeyWordEdit->setFocus();
    KeyWordEdit->selectAll();
}

void TFindSiteDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FocusKeyWord();
}

void TFindSiteDlg::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // Enter belongs to the keyword field and the list, never to a default button.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(e);
}

bool TFindSiteDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, e);
    auto* k = static_cast<QKeyEvent*>(e);
    bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (watched == KeyWordEdit) {
        if (enter) {
            OfficeBtnClick();
            return true;
        }
        if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) &&
            ListView2->topLevelItemCount()) {
            ListView2->setFocus();
            if (ListView2->selectedItems().isEmpty()) {
                ListView2->setCurrentItem(ListView2->topLevelItem(0));
                ListView2->topLevelItem(0)->setSelected(true);
            }
            return true;
        }
    } else if (watched == ListView2 && enter) {
        ListView2DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
