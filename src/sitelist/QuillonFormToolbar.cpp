// TQuillonFrm: the dockable toolbar MainBar on its dock above the lists,
// its View item and close event, and its place in Quillon.ini [ToolBar].
#include "sitelist/QuillonForm.h"

#include "controls/DockCtls.h"
#include "controls/DockTlbr.h"
#include "controls/DockWin.h"

#include <QAction>
#include <QBoxLayout>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// A stored number as the profile reads one: decimal (or 0x hex), else the
// default; out-of-range values clamp to int.
int NumberOr(const std::string& text, int def) {
    if (text.empty()) return def;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (end == text.c_str() || *end != '\0') return def;
    if (errno == ERANGE || v > INT_MAX) return v > 0 ? INT_MAX : INT_MIN;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

} // namespace

QWidget* TQuillonFrm::BuildMainBar(QWidget* center) {
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    MainDock = new TDock(body, dpTop);
    MainDock->setObjectName("MainDock");
    column->addWidget(MainDock);
    column->addWidget(center, 1);
    MainBar = new TToolbar(MainDock);
    MainBar->setObjectName("MainBar");
    MainBar->SetCaption("工具列");
    MainBar->SetDefaultDock(MainDock);
    MainBar->OnClose = [this](TCustomToolWindow*) { MainBarClose(); };
    return body;
}

QAction* TQuillonFrm::MainBarViewAction() {
    auto* a = new QAction("工具列", this);
    a->setCheckable(true);
    a->setChecked(true);
    connect(a, &QAction::triggered, this, [this](bool on) { MainBar->setVisible(on); });
    return a;
}

// Three separators part the groups: connecting, searching, editing, clipboard.
void TQuillonFrm::FillMainBar() {
    const std::initializer_list<QAction*> groups[] = {
        {ConnectAct, ConnectAllAct},
        {FindAct},
        {CreateFolderAct, CreateSiteAct, ModifyAct, DeleteAct},
        {CutAct, CopyAct, PasteAct},
    };
    bool first = true;
    for (const auto& group : groups) {
        if (!first) (new TToolbarSep(MainBar))->show();
        first = false;
        for (QAction* a : group) {
            auto* b = new TToolbarButton(MainBar);
            b->SetAction(a);
            // The command's picture beside its caption, the button as wide
            // as both.
            const QImage glyph = a->icon().pixmap(16, 16).toImage();
            b->SetGlyph(glyph);
            b->resize(glyph.width() + b->Spacing() + b->fontMetrics().horizontalAdvance(a->text()) +
                          12,
                      22);
            b->show();
        }
    }
    MainBar->ArrangeControls();
}

void TQuillonFrm::MainBarClose() {
    ToolBarAct->setChecked(false);
}

void TQuillonFrm::ApplyToolbarSettings() {
    const sitelist::TQuillonSettings& s = FSettings;
    ToolBarAct->setChecked(s.ToolBarVisible);
    MainBar->setVisible(s.ToolBarVisible);
    MainBar->SetDockPos(std::max(0, NumberOr(s.ToolBarDockPos, 0)));
    MainBar->SetFloatingPosition(QPoint(NumberOr(s.ToolBarLeft, 0), NumberOr(s.ToolBarTop, 0)));
    MainBar->SetFloatingRightX(std::max(0, NumberOr(s.ToolBarFloatingWidth, 0)));
    // Dock is a Boolean: any non-zero number docks, 0 floats.
    if (NumberOr(s.ToolBarDock, 1) != 0) {
        MainBar->SetDockedTo(MainDock);
    } else {
        MainBar->SetDockedTo(nullptr);
        MainBar->MoveOnScreen(true);
    }
}

void TQuillonFrm::StoreToolbarSettings() {
    sitelist::TQuillonSettings& s = FSettings;
    s.ToolBarVisible = ToolBarAct->isChecked();
    s.ToolBarDock = std::to_string(MainBar->Docked() ? 1 : 0);
    const QPoint at = MainBar->FloatingPosition();
    s.ToolBarLeft = std::to_string(at.x());
    s.ToolBarTop = std::to_string(at.y());
    s.ToolBarFloatingWidth = std::to_string(MainBar->FloatingRightX());
    s.ToolBarDockPos = std::to_string(MainBar->DockPos());
}
