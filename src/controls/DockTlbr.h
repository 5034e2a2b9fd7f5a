// Toolbars: tool windows that lay their child controls out in one line when
// docked and in wrapped rows when floating, and snap a floating resize to
// the shapes they can take; and the separator that splits their controls
// into groups. The layout itself is the engine's (ToolbarLayout).
#pragma once
#include "controls/DockWin.h"
#include "controls/core/ToolbarLayout.h"

#include <QList>
#include <QPointer>

#include <functional>
#include <vector>

class TCustomToolbar : public TCustomToolWindow {
    Q_OBJECT
public:
    // The parent must be nothing, a TDock or a form (then it floats).
    explicit TCustomToolbar(QWidget* parent = nullptr);
    ~TCustomToolbar() override;

    // The client width at which floating rows wrap; 0 = one row.
    int FloatingRightX() const { return FFloatingRightX; }
    void SetFloatingRightX(int v);

    // The first option: order by position after loading; the second: at
    // design time the current positions give the order. Kept for callers
    // that set them; a running program orders by the order list.
    bool OrderByPosition = true;
    bool DesignOrder = true;

    // Position data kept by the library's own store ("FloatRightX").
    void WritePositionData(const std::function<void(const char* name, int value)>& write) const;
    void ReadPositionData(const std::function<int(const char* name, int def)>& read);

    // A pair of controls of which only one shows: topBottom on a top/bottom
    // dock or floating, leftRight on a left/right dock.
    void AddSlave(QWidget* topBottom, QWidget* leftRight);

    // The child controls in their layout order.
    QList<QWidget*> OrderList() const;
    // The separators drawn across a floating toolbar at its row breaks.
    const std::vector<controls::TWrapLine>& WrapLines() const { return FWrapLines; }
    // The window sizes of a resize in progress, widest first.
    const std::vector<QSize>& PotentialSizes() const { return FPotential; }
    // Re-lays the toolbar once pending events are through (a control was
    // added, removed, shown, hidden or resized).
    void ScheduleLayout();

protected:
    int GetMinimumSizeAcross(TDockType type) override;
    QSize GetBaseSize() override { return QSize(0, 0); }
    QSize OrderControls(bool canMove, TDockType type) override;
    void GetParams(bool& opt0, bool& cornerResize, bool& clipCursor) override;
    void SizingBegin() override;
    QRect SizingStep(const QRect& proposed, controls::TSizingEdges edges) override;
    void SizingEnd(bool accept, const QRect& rect) override;
    void paintEvent(QPaintEvent* e) override;
    void childEvent(QChildEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct TSlave {
        QPointer<QWidget> TopBottom, LeftRight;
    };
    // The controls that take part for a dock type, in order, and their items.
    QList<QWidget*> Members(bool canMove, TDockType type) const;
    std::vector<controls::TToolbarItem> Items(const QList<QWidget*>& members) const;
    void PurgeOrderList();

    int FFloatingRightX = 0;
    bool FOrderListDirty = false;
    bool FLayoutPending = false;
    bool FPlacing = false;
    QList<QPointer<QWidget>> FOrderList;
    std::vector<TSlave> FSlaves;
    std::vector<controls::TWrapLine> FWrapLines;
    std::vector<QSize> FPotential;
};

// The published toolbar.
class TToolbar : public TCustomToolbar {
    Q_OBJECT
public:
    explicit TToolbar(QWidget* parent = nullptr) : TCustomToolbar(parent) {}
};

// The separator between groups of a toolbar's controls. A press on it drags
// the toolbar.
class TToolbarSep : public QWidget {
    Q_OBJECT
public:
    // Only a toolbar may hold it (EInvalidOperation otherwise).
    explicit TToolbarSep(QWidget* parent);
    void SetParent(QWidget* parent);

    bool Blank() const { return FBlank; }
    void SetBlank(bool v);
    int SizeHorz() const { return FSizeHorz; }
    void SetSizeHorz(int v);
    int SizeVert() const { return FSizeVert; }
    void SetSizeVert(int v);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void Relayout();
    bool FBlank = false;
    int FSizeHorz = 6;
    int FSizeVert = 6;
};
