// Sending sites: the channel to a known terminal, the start road, and
// connect-all with its ends.
#include "QuillonFixture.h"
#include "QuillonInput.h"
#include "controls/DockTlbr.h"

#include <QAction>
#include <QTimer>
#include <QTreeWidget>

namespace {
const win::HWND kTerminal = 0x1234;

void PressConnect(TQuillonFrm& form) {
    QTest::keyClick(&form, Qt::Key_C, Qt::AltModifier);
}
} // namespace

TEST_F(QuillonTest, WithoutATerminalConnectStartsOneWithTheWholeSiteInOneArgument) {
    PutList("/A\r\n-//My BBS;host;23;\r\n-//a:b;h2;abc;\r\n-//none;;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    ClickSite(form, 0);
    PressConnect(form);
    ClickSite(form, 1);
    QTest::keyClick(form.ListView, Qt::Key_Return);
    ClickSite(form, 2); // no address: nothing is sent
    PressConnect(form);
    ASSERT_EQ(Starter->Starts.size(), 2u);
    EXPECT_EQ(Starter->Starts[0].first, "/prog/BrannocPro");
    EXPECT_EQ(Starter->Starts[0].second, "telnet://My\xA1\x40"
                                         "BBS;host;23");
    EXPECT_EQ(Starter->Starts[1].second, "telnet://a\xA1\x47"
                                         "b;h2;23");
    EXPECT_TRUE(Server->Sent.empty());
}

TEST_F(QuillonTest, AKnownTerminalGetsRecordsAndALostOneTakesTheStartRoad) {
    std::string longAlias(40, 'x');
    std::string longHost(31, 'h');
    PutList("/A\r\n-//" + longAlias + ";host;2323;\r\n-//s;" + longHost + ";23;\r\n");
    TQuillonFrm& form = Open();
    EXPECT_EQ(Server->Opens, 1); // the first show opens the channel
    ClickFolder(form, 0);
    ClickSite(form, 0);
    // Connected but not yet known by its window: the start road.
    Server->OnConnect(kTerminal);
    PressConnect(form);
    EXPECT_EQ(Starter->Starts.size(), 1u);
    Server->OnClientData("IPC_Open", kTerminal);
    EXPECT_TRUE(form.TerminalReady());
    PressConnect(form);
    ASSERT_EQ(Server->Sent.size(), 1u);
    EXPECT_EQ(Server->Sent[0].To, kTerminal);
    EXPECT_EQ(Server->Sent[0].Alias, std::string(30, 'x'));
    EXPECT_EQ(Server->Sent[0].Port, 2323);
    // An address the record cannot hold whole takes the start road.
    ClickSite(form, 1);
    PressConnect(form);
    EXPECT_EQ(Starter->Starts.size(), 2u);
    EXPECT_EQ(Server->Sent.size(), 1u);
    // A send the terminal never gets: the channel reopens, the site starts one.
    ClickSite(form, 0);
    Server->Deliver = false;
    PressConnect(form);
    EXPECT_EQ(Starter->Starts.size(), 3u);
    EXPECT_FALSE(form.ClientConnected());
    EXPECT_EQ(form.ClientWindow(), 0u);
    EXPECT_TRUE(Server->Active());
    EXPECT_EQ(Server->Opens, 2);
}

TEST_F(QuillonTest, IPCCloseReopensTheChannelAndTheNextSiteStartsATerminal) {
    PutList("/A\r\n-//s;host;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    ClickSite(form, 0);
    Server->TerminalArrives(kTerminal);
    PressConnect(form);
    EXPECT_EQ(Server->Sent.size(), 1u);
    Server->OnClientData("IPC_Close", kTerminal);
    EXPECT_EQ(Server->Closes, 1);
    EXPECT_TRUE(Server->Active());
    PressConnect(form);
    EXPECT_EQ(Starter->Starts.size(), 1u);
    // A lost terminal counts as the same goodbye.
    Server->TerminalArrives(kTerminal);
    Server->OnDisconnect(kTerminal);
    EXPECT_FALSE(form.ClientConnected());
}

TEST_F(QuillonTest, ConnectAllStartsOneTerminalWaitsForItThenSendsTheRest) {
    PutList("/A\r\n-//s1;h1;23;\r\n-//s2;h2;23;\r\n-//s3;h3;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    Starter->OnStart = [this] {
        QTimer::singleShot(0, [this] { Server->TerminalArrives(kTerminal); });
    };
    bool disabledMeanwhile = false;
    Server->OnConnect = [&, inner = Server->OnConnect](win::HWND h) {
        disabledMeanwhile = !Form->MainBar->isEnabled() && !Form->ConnectAllAct->isEnabled();
        inner(h);
    };
    ClickToolButton(form, form.ConnectAllAct);
    ASSERT_EQ(Starter->Starts.size(), 1u);
    EXPECT_EQ(Starter->Starts[0].second, "telnet://s1;h1;23");
    ASSERT_EQ(Server->Sent.size(), 2u);
    EXPECT_EQ(Server->Sent[0].Alias, "s2");
    EXPECT_EQ(Server->Sent[1].Alias, "s3");
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(form.MainBar->isEnabled());
    EXPECT_TRUE(form.ConnectAllAct->isEnabled());
    EXPECT_EQ(form.ListView->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(QuillonTest, ConnectAllEndsOnAFailedStartAndOnATerminalThatNeverOpens) {
    PutList("/A\r\n-//s1;h1;23;\r\n-//s2;h2;23;\r\n-//s3;h3;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    Starter->Fail = "執行檔不存在!";
    ClickToolButton(form, form.ConnectAllAct);
    EXPECT_EQ(Starter->Starts.size(), 1u);
    EXPECT_EQ(Messages.back(), "執行檔不存在!");
    EXPECT_FALSE(form.ConnectAllRunning());

    Starter->Fail.clear();
    Starter->Starts.clear();
    form.SetOpenTimeoutMs(50);
    ClickToolButton(form, form.ConnectAllAct);
    EXPECT_EQ(Starter->Starts.size(), 1u);
    EXPECT_TRUE(Server->Sent.empty());
    EXPECT_TRUE(form.MainBar->isEnabled());
    EXPECT_TRUE(form.ConnectAllAct->isEnabled());
}

TEST_F(QuillonTest, ClosingTheWindowEndsAWaitingConnectAllThenCloses) {
    PutList("/A\r\n-//s1;h1;23;\r\n-//s2;h2;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    Starter->OnStart = [this] { QTimer::singleShot(0, [this] { Form->close(); }); };
    ClickToolButton(form, form.ConnectAllAct);
    EXPECT_EQ(Starter->Starts.size(), 1u);
    EXPECT_TRUE(form.isVisible()); // the close comes once the run has ended
    for (int i = 0; i < 200 && form.isVisible(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(form.isVisible());
}
