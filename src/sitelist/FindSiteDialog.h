// TFindSiteDlg: searching every site of the list ("搜尋站台") and
// connecting one of the results.
#pragma once
#include "sitelist/core/SiteList.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QTreeWidget;
class TOfficeButton;

class TFindSiteDlg : public QDialog {
    Q_OBJECT
public:
    // connect is called with a result's fields (Big5) and its port number.
    TFindSiteDlg(const sitelist::TSiteList& list, std::string keyWord,
                 std::function<void(const sitelist::TSiteFields&, int port)> connect,
                 QWidget* parent = nullptr);

    // The keyword (Big5) as it stands, for [Windows] KeyWord.
    std::string KeyWord() const;

    QLineEdit* KeyWordEdit;
    TOfficeButton* OfficeBtn;
    QTreeWidget* ListView2;

    void OfficeBtnClick();
    void ListView2DblClick();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FocusKeyWord();
    const sitelist::TSiteList& FList;
    std::function<void(const sitelist::TSiteFields&, int)> FConnect;
    std::vector<sitelist::TSiteFields> FHits;
};
