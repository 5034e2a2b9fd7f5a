#include "dialogs/SiteList.h"

#include "platform/CodePage.h"
#include "platform/core/IniFile.h"

#include <QCollator>
#include <QComboBox>
#include <QListWidget>

namespace {

constexpr int kBytesRole = Qt::UserRole + 1;

const QCollator& Collator() {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Chinese, QLocale::Taiwan)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

std::string Bytes(const QVariant& v) {
    QByteArray b = v.toByteArray();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QByteArray ToBytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

bool SiteNameLess(const QString& a, const QString& b) {
    return Collator().compare(a, b) < 0;
}

std::string SiteItemBytes(const QListWidgetItem* item) {
    return item ? Bytes(item->data(kBytesRole)) : std::string();
}

int FindSiteItem(const QListWidget* list, const std::string& name) {
    for (int i = 0; i < list->count(); ++i)
        if (win::SameProfileName(SiteItemBytes(list->item(i)), name)) return i;
    return -1;
}

int InsertSortedSiteItem(QListWidget* list, const std::string& name, const QString& shown) {
    int row = 0;
    while (row < list->count() && !SiteNameLess(shown, list->item(row)->text()))
        ++row;
    auto* item = new QListWidgetItem(shown);
    item->setData(kBytesRole, ToBytes(name));
    list->insertItem(row, item);
    return row;
}

std::string ComboItemBytes(const QComboBox* combo, int index) {
    return index < 0 || index >= combo->count() ? std::string()
                                                : Bytes(combo->itemData(index, kBytesRole));
}

int FindComboItem(const QComboBox* combo, const std::string& name) {
    for (int i = 0; i < combo->count(); ++i)
        if (win::SameProfileName(ComboItemBytes(combo, i), name)) return i;
    return -1;
}

int InsertSortedComboItem(QComboBox* combo, const std::string& name) {
    QString shown = win::Big5ToQString(name);
    int row = 0;
    while (row < combo->count() && !SiteNameLess(shown, combo->itemText(row)))
        ++row;
    combo->insertItem(row, shown);
    combo->setItemData(row, ToBytes(name), kBytesRole);
    return row;
}
