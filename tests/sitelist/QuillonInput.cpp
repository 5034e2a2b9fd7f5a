#include "QuillonInput.h"

#include "controls/DockCtls.h"
#include "controls/DockTlbr.h"
#include "sitelist/QuillonForm.h"

#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
void ClickItem(QTreeWidget* view, QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers) {
    ASSERT_NE(item, nullptr);
    view->scrollToItem(item);
    QRect rect = view->visualItemRect(item);
    ASSERT_TRUE(view->viewport()->rect().contains(rect.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rect.center());
}
} // namespace

void ClickFolder(TQuillonFrm& form, int node) {
    QTreeWidgetItem* item = form.NodeItem(node);
    for (QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent())
        p->setExpanded(true);
    ClickItem(form.TreeView, item, Qt::NoModifier);
}

void ClickSite(TQuillonFrm& form, int row, Qt::KeyboardModifiers modifiers) {
    ClickItem(form.ListView, form.ListView->topLevelItem(row), modifiers);
}

void ClickToolButton(TQuillonFrm& form, QAction* command) {
    for (TToolbarButton* b : form.MainBar->findChildren<TToolbarButton*>())
        if (b->Action() == command) {
            QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
            return;
        }
    ADD_FAILURE() << "no toolbar button for " << command->text().toStdString();
}
