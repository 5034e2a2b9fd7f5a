#include "QuillonFixture.h"

#include <QTreeWidget>

std::vector<std::string> QuillonTest::Rows() const {
    std::vector<std::string> rows;
    QTreeWidget* list = Form->ListView;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        rows.push_back(QStringList({item->text(0), item->text(1), item->text(2), item->text(3)})
                           .join(' ')
                           .toStdString());
    }
    return rows;
}
