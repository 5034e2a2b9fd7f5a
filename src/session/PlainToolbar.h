// A plain toolbar container: a row of controls with the place fields the
// dockable toolbar family keeps (dock, row, position, floating place), so
// the main window can restore and save its layout until that family takes
// its place.
#pragma once
#include <QFrame>
#include <QPointer>
#include <QString>

class QHBoxLayout;

class TPlainToolbar : public QFrame {
    Q_OBJECT
public:
    TPlainToolbar(const QString& name, const QString& caption, QWidget* parent = nullptr);

    void AddControl(QWidget* control);
    void AddSeparator();

    // The dock the toolbar sits on; nullptr = floating.
    QWidget* DockedTo() const { return FDockedTo; }
    // Docks onto a dock made by MakeDock (nullptr floats it at Left/Top).
    void SetDockedTo(QWidget* dock);

    int DockRow = 0;
    int DockPos = 0;
    int Left = 0;
    int Top = 0;
    int FloatingRightX = 0;

    // A dock: rows of toolbars, each row ordered by DockPos.
    static QWidget* MakeDock(const QString& name, QWidget* parent);
    // Rebuilds a dock's rows from its toolbars' DockRow and DockPos.
    static void ArrangeDock(QWidget* dock);

signals:
    void Closed();
    void DockChanged();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QHBoxLayout* FLayout;
    QPointer<QWidget> FDockedTo;
};
