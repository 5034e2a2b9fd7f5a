// A strip of flat tab buttons with hot tracking. In one row the tabs that do
// not fit are reached by two arrow buttons; with MultiLine on the tabs wrap
// into as many rows as they need and the strip shows the rows it is tall
// enough for. The calls mirror the toolkit's tab bar where they overlap.
#pragma once
#include <QVariant>
#include <QWidget>

#include <vector>

class QToolButton;

class TTabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TTabStrip(QWidget* parent = nullptr);

    int addTab(const QString& text);
    void removeTab(int index);
    void moveTab(int from, int to);
    int count() const { return static_cast<int>(FTabs.size()); }
    QString tabText(int index) const;
    void setTabText(int index, const QString& text);
    QVariant tabData(int index) const;
    void setTabData(int index, const QVariant& data);
    int currentIndex() const { return FCurrent; }
    void setCurrentIndex(int index);
    // The tab's rectangle in the strip (empty when scrolled out).
    QRect tabRect(int index) const;
    int tabAt(const QPoint& p) const;

    bool multiLine() const { return FMultiLine; }
    void setMultiLine(bool on);
    // One row scrolls (the arrow buttons); several rows do not.
    bool usesScrollButtons() const { return !FMultiLine; }
    // Rows the tabs take at the present width.
    int rowCount() const;
    int rowHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void tabBarClicked(int index); // a press on a tab, before the change
    void currentChanged(int index);
    void mouseDown(); // a left press anywhere on the strip, after any change it made

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct TTab {
        QString Text;
        QVariant Data;
    };
    std::vector<int> Widths() const;
    int RowWidth() const;
    void Relayout();
    void Scroll(int by);
    std::vector<TTab> FTabs;
    std::vector<QRect> FRects; // one per tab, empty when out of view
    int FCurrent = -1;
    int FHot = -1;
    int FFirst = 0; // first tab of the single row
    bool FMultiLine = false;
    bool FArrows = false; // the single row overflows
    QToolButton* FLeft = nullptr;
    QToolButton* FRight = nullptr;
};
