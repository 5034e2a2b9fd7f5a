#include "session/PlainToolbar.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <algorithm>
#include <map>
#include <vector>

TPlainToolbar::TPlainToolbar(const QString& name, const QString& caption, QWidget* parent)
    : QFrame(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    setFrameShape(QFrame::StyledPanel);
    FLayout = new QHBoxLayout(this);
    FLayout->setContentsMargins(2, 1, 2, 1);
    FLayout->setSpacing(1);
}

void TPlainToolbar::AddControl(QWidget* control) {
    FLayout->addWidget(control);
}

void TPlainToolbar::AddSeparator() {
    auto* sep = new QFrame(this);
    sep->setFrameShape(QFrame::VLine);
    sep->setFrameShadow(QFrame::Sunken);
    FLayout->addWidget(sep);
}

QWidget* TPlainToolbar::MakeDock(const QString& name, QWidget* parent) {
    auto* dock = new QWidget(parent);
    dock->setObjectName(name);
    auto* rows = new QVBoxLayout(dock);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    return dock;
}

void TPlainToolbar::SetDockedTo(QWidget* dock) {
    bool wasVisible = isVisibleTo(parentWidget()) || (isWindow() && isVisible());
    QWidget* old = FDockedTo;
    FDockedTo = dock;
    if (dock) {
        setParent(dock);
        setWindowFlags(Qt::Widget);
    } else {
        QWidget* top = old ? old->window() : window();
        setParent(top, Qt::Tool);
        move(Left, Top);
        if (FloatingRightX > 0) resize(FloatingRightX, sizeHint().height());
    }
    if (old && old != dock) ArrangeDock(old);
    if (dock) ArrangeDock(dock);
    setVisible(wasVisible);
    emit DockChanged();
}

void TPlainToolbar::ArrangeDock(QWidget* dock) {
    auto* rows = qobject_cast<QVBoxLayout*>(dock->layout());
    if (!rows) return;
    while (QLayoutItem* item = rows->takeAt(0)) {
        if (QLayout* row = item->layout()) {
            while (QLayoutItem* inner = row->takeAt(0))
                delete inner;
        }
        delete item;
    }
    std::map<int, std::vector<TPlainToolbar*>> byRow;
    for (auto* bar : dock->findChildren<TPlainToolbar*>(QString(), Qt::FindDirectChildrenOnly))
        if (bar->FDockedTo == dock) byRow[bar->DockRow].push_back(bar);
    for (auto& [row, bars] : byRow) {
        std::stable_sort(bars.begin(), bars.end(),
                         [](auto* a, auto* b) { return a->DockPos < b->DockPos; });
        auto* line = new QHBoxLayout;
        line->setSpacing(2);
        for (auto* bar : bars)
            line->addWidget(bar);
        line->addStretch(1);
        rows->addLayout(line);
    }
}

void TPlainToolbar::closeEvent(QCloseEvent* e) {
    QFrame::closeEvent(e);
    emit Closed();
}
