// A main window for layout and window tests: its folders in the sandbox,
// 1000 x 760 and shown, the housekeeping timer stopped, new sessions not
// maximised.
#pragma once

#include "QuietEnvironment.h"
#include "SessionPeers.h"

#include "platform/QtMessageLoop.h"
#include "session/kvMainForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace sessiontest {

struct TWindowTest : ::testing::Test {
    static void SetUpTestSuite() {
        Home();
        win::InstallQtMessageLoop();
    }
    void SetUp() override {
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                             std::make_unique<TSandboxEnvironment>());
        Form->resize(1000, 760);
        Form->show();
        Form->FlashTimer->stop();
        Form->Settings.Max = false;
        WaitFor([] { return false; }, 50);
    }
    void TearDown() override { Form.reset(); }

    std::unique_ptr<TkvMainForm> Form;
};

} // namespace sessiontest
