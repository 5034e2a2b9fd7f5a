// A site-list window over a private data folder, with a channel and a
// starter that record what the window asks of them, and message boxes
// answered by the test.
#pragma once
#include "platform/core/TempDir.h"
#include "sitelist/QuillonForm.h"
#include "sitelist/SiteMessages.h"

#include <QApplication>
#include <QTest>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

struct TSentSite {
    win::HWND To;
    std::string Alias, Address;
    int Port;
};

class TFakeServer : public TSiteServer {
public:
    bool Active() const override { return FActive; }
    void Open() override {
        FActive = true;
        ++Opens;
    }
    void Close() override {
        if (!FActive) return;
        FActive = false;
        ++Closes;
        if (OnAfterClose) OnAfterClose();
    }
    void ClearSessionName() override {}
    bool SendSite(win::HWND client, const std::string& alias, const std::string& address,
                  int port) override {
        if (!Deliver) return false;
        Sent.push_back({client, alias, address, port});
        return true;
    }
    // A terminal that opens the channel and says "IPC_Open".
    void TerminalArrives(win::HWND client) {
        if (OnConnect) OnConnect(client);
        if (OnClientData) OnClientData("IPC_Open", client);
    }
    bool FActive = false;
    bool Deliver = true;
    int Opens = 0, Closes = 0;
    std::vector<TSentSite> Sent;
};

class TFakeStarter : public TTerminalStarter {
public:
    void Start(const std::string& program, const std::string& argument) override {
        Starts.push_back({program, argument});
        if (!Fail.empty()) throw std::runtime_error(Fail);
        if (OnStart) OnStart();
    }
    std::vector<std::pair<std::string, std::string>> Starts;
    std::string Fail;
    std::function<void()> OnStart;
};

class QuillonTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOldHook = SetMessageHook([this](TMsgKind kind, const QString& text, const QString&) {
            Messages.push_back(text);
            if (kind == TMsgKind::Confirmation && !Answers.empty()) {
                auto a = Answers.front();
                Answers.pop_front();
                return a;
            }
            return QMessageBox::Ok;
        });
    }
    void TearDown() override {
        Form.reset();
        SetMessageHook(FOldHook);
    }
    // A window over the data folder as it stands (Quillon.txt written first).
    TQuillonFrm& Open() {
        auto server = std::make_unique<TFakeServer>();
        auto starter = std::make_unique<TFakeStarter>();
        Server = server.get();
        Starter = starter.get();
        Form = std::make_unique<TQuillonFrm>(Dir.Path, "/prog/", std::move(server),
                                             std::move(starter));
        Form->show();
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }
    void PutList(const std::string& bytes) { TTempDir::Put(Dir / "Quillon.txt", bytes); }
    std::string List() const { return TTempDir::Get(Dir / "Quillon.txt"); }
    // The list's rows as "alias address port remark".
    std::vector<std::string> Rows() const;

    TTempDir Dir;
    std::unique_ptr<TQuillonFrm> Form;
    TFakeServer* Server = nullptr;
    TFakeStarter* Starter = nullptr;
    std::vector<QString> Messages;
    std::deque<QMessageBox::StandardButton> Answers;

private:
    TMessageHook FOldHook;
};
