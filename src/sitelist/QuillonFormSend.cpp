// TQuillonFrm: sending sites to the terminal, connect-all and the channel's events.
#include "controls/DockTlbr.h"
#include "sitelist/QuillonForm.h"

#include "sitelist/SiteMessages.h"
#include "sitelist/core/SendRoad.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>

using namespace sitelist;

namespace {
constexpr int kLineRole = Qt::UserRole;
// Message rounds between two sites of connect-all.
constexpr int kRoundsBetweenSites = 1001;
} // namespace

void TQuillonFrm::ConnectClick() {
    QTreeWidgetItem* item = ListView->currentItem();
    if (!item || !item->isSelected()) {
        std::vector<int> lines = SelectedSiteLines();
        if (lines.empty()) return;
        for (int i = 0; i < ListView->topLevelItemCount(); ++i)
            if (ListView->topLevelItem(i)->isSelected()) item = ListView->topLevelItem(i);
    }
    TSiteFields site = ParseSiteLine(FSites.Line(item->data(0, kLineRole).toInt()));
    ConnectSite(site.Alias, site.Address, PortNumber(site.Port));
}

TQuillonFrm::TConnectResult TQuillonFrm::ConnectSite(const std::string& alias,
                                                     const std::string& address, int port) {
    TSendRoad road = ChooseSendRoad(FClientConnected, FClientWindow != 0, address);
    if (road == TSendRoad::None) return TConnectResult::Skipped;
    if (road == TSendRoad::Record) {
        if (FServer && FServer->SendSite(FClientWindow, CutAtCharBoundary(alias, kRecordFieldBytes),
                                         address, port))
            return TConnectResult::Sent;
        // The terminal is gone: as if it had said goodbye.
        IPCClosed();
    }
    if (!FStarter) return TConnectResult::Failed;
    try {
        FStarter->Start(FProgramFolder + "BrannocPro", StartArgument(alias, address, port));
    } catch (const std::exception& e) {
        SiteError(this, e.what());
        return TConnectResult::Failed;
    }
    return TConnectResult::Started;
}

// Connects every site of the folder, in order, from a snapshot taken at the
// start. A terminal started on the way is waited for (its "IPC_Open") before
// the next site; a failed start, a terminal that never opens the channel
// and closing the window end the run.
void TQuillonFrm::ConnectAllClick() {
    if (FConnectAllRunning) return;
    int node = SelectedNode();
    if (node < 0) return;
    std::vector<TSiteItem> sites = FSites.FillSiteList(node);
    if (sites.empty()) return;

    FConnectAllRunning = true;
    ConnectAllAct->setEnabled(false);
    ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    MainBar->setEnabled(false);

    for (std::size_t i = 0; i < sites.size() && !FClosing; ++i) {
        // Show which site goes now, while the list still shows this folder.
        for (int r = 0; r < ListView->topLevelItemCount(); ++r) {
            QTreeWidgetItem* item = ListView->topLevelItem(r);
            if (item->data(0, kLineRole).toInt() == sites[i].Line &&
                item->text(0) == FromBig5(sites[i].Fields.Alias)) {
                ListView->setCurrentItem(item);
                break;
            }
        }
        const TSiteFields& s = sites[i].Fields;
        bool waitForOpen = !FClientConnected || FClientWindow == 0;
        if (waitForOpen) FTerminalReady = false;
        TConnectResult result = ConnectSite(s.Alias, s.Address, PortNumber(s.Port));
        if (result == TConnectResult::Failed) break;
        if (result == TConnectResult::Started && i + 1 < sites.size()) {
            if (!FTerminalReady) {
                QEventLoop loop;
                FWaitLoop = &loop;
                QTimer::singleShot(FOpenTimeoutMs, &loop, &QEventLoop::quit);
                loop.exec();
                FWaitLoop = nullptr;
            }
            if (!FTerminalReady) break;
        } else {
            for (int round = 0; round < kRoundsBetweenSites && !FClosing; ++round)
                QCoreApplication::processEvents();
        }
    }

    FConnectAllRunning = false;
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MainBar->setEnabled(true);
    ConnectAllAct->setEnabled(SelectedNode() >= 0 && !FSites.SiteLines(SelectedNode()).empty());
    if (FClosing) {
        FClosing = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

// ---- the channel
// ----------------------------------------------------------------------------------

void TQuillonFrm::IPCServerConnect(win::HWND) {
    FClientConnected = true;
}

void TQuillonFrm::IPCServerClientData(const std::string& alias, win::HWND from) {
    FClientWindow = from;
    if (alias == "IPC_Close") {
        IPCClosed();
    } else if (alias == "IPC_Open") {
        FTerminalReady = true;
        if (FWaitLoop) FWaitLoop->quit();
    }
}

// The terminal said goodbye or is gone: close the channel and open it again
// for the next terminal.
void TQuillonFrm::IPCClosed() {
    if (!FServer) return;
    FServer->Close();
    FClientConnected = false;
    FClientWindow = 0;
    if (!FServer->Active()) FServer->ClearSessionName();
    try {
        FServer->Open();
    } catch (const std::exception& e) {
        SiteError(this, e.what());
    }
}

// The terminal we send to is gone: the same as its "IPC_Close". Another
// client's end leaves the channel to the one we know.
void TQuillonFrm::IPCServerDisconnect(win::HWND client) {
    if (client == FClientWindow || (FClientWindow == 0 && FClientConnected)) IPCClosed();
}

void TQuillonFrm::IPCServerAfterClose() {
    FClientWindow = 0;
}
