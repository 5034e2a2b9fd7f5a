// Lists of names kept as bytes (site aliases, key-map names): each entry
// holds its Big5 bytes and shows their conversion. Entries are sorted by
// their shown text without regard to case, Chinese in the zh_TW order;
// look-ups compare the bytes, folding ASCII letters only, as the files do.
#pragma once
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;
class QListWidgetItem;

// True when a sorts before b.
bool SiteNameLess(const QString& a, const QString& b);
// The names in the order the sorted lists show them (by shown text, equal
// ones in their given order), so a list filled in this order only appends.
std::vector<std::string> SortedForDisplay(std::vector<std::string> names,
                                          const std::function<QString(const std::string&)>& shown);

std::string SiteItemBytes(const QListWidgetItem* item);
// The row holding name, or -1.
int FindSiteItem(const QListWidget* list, const std::string& name);
// Inserts at the sorted place; returns the row.
int InsertSortedSiteItem(QListWidget* list, const std::string& name, const QString& shown);

std::string ComboItemBytes(const QComboBox* combo, int index);
int FindComboItem(const QComboBox* combo, const std::string& name);
int InsertSortedComboItem(QComboBox* combo, const std::string& name);
