#include "dialogs/SiteList.h"

#include "platform/CodePage.h"
#include "platform/core/IniFile.h"

#include <QCollator>
#include <QComboBox>
#include <QListWidget>
#include <algorithm>
#include <functional>

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

std::vector<std::string> SortedForDisplay(std::vector<std::string> names,
                                          const std::function<QString(const std::string&)>& shown) {
    std::vector<std::pair<QString, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& n : names)
        keyed.emplace_back(shown(n), std::move(n));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return SiteNameLess(a.first, b.first); });
    names.clear();
    for (auto& k : keyed)
        names.push_back(std::move(k.second));
    return names;
}

std::string SiteItemBytes(const QListWidgetItem* item) {
    return item ? Bytes(item->data(kBytesRole)) : std::string();
}

int FindSiteItem(const QListWidget* list, const std::string& name) {
    for (int i = 0; i < list->count(); ++i)
        if (win::SameProfileName(SiteItemBytes(list->item(i)), name)) return i;
    return -1;
}

namespace {

// The first of count sorted rows that sorts after shown (a binary search, so
// filling a list of n names costs n log n comparisons, not n^2).
int RowAfter(int count, const QString& shown, const std::function<QString(int)>& textAt) {
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (SiteNameLess(shown, textAt(mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

} // namespace

int InsertSortedSiteItem(QListWidget* list, const std::string& name, const QString& shown) {
    const int row = RowAfter(list->count(), shown, [list](int i) { return list->item(i)->text(); });
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
    const int row = RowAfter(combo->count(), shown, [combo](int i) { return combo->itemText(i); });
    combo->insertItem(row, shown);
    combo->setItemData(row, ToBytes(name), kBytesRole);
    return row;
}
