#include "session/core/SitePassword.h"

#include <deque>
#include <gtest/gtest.h>

using namespace session;

namespace {

// Answers the questions from a script and records what was asked.
struct TScriptedPrompt : TPasswordPrompt {
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::string> Captions, Errors;
    std::optional<std::string> Ask(const std::string& caption, const std::string&) override {
        Captions.push_back(caption);
        if (Answers.empty()) ADD_FAILURE() << "unexpected question " << caption;
        if (Answers.empty()) return std::nullopt;
        auto a = Answers.front();
        Answers.pop_front();
        return a;
    }
    void Error(const std::string& text) override { Errors.push_back(text); }
};

struct TMemoryStore : TPasswordStore {
    std::string Stored;
    bool Fail = false;
    int Writes = 0;
    std::string Read() override { return Stored; }
    bool Write(const std::string& plain) override {
        ++Writes;
        if (Fail) return false;
        Stored = plain;
        return true;
    }
};

const std::string kSet = "設定密碼 - 將作為存取簽入字串的身份確認";
const std::string kConfirm = "確認密碼";
const std::string kEnter = "請輸入密碼";

} // namespace

TEST(SitePassword, FirstUseNoneIsNeverAskedAgain) {
    TSitePassword p;
    TScriptedPrompt q;
    TMemoryStore s;
    q.Answers = {"none"};
    EXPECT_TRUE(p.CheckPassword(false, q, s));
    EXPECT_EQ(s.Stored, "none");
    EXPECT_EQ(q.Captions, std::vector<std::string>{kSet});
    p.Lock();
    EXPECT_TRUE(p.CheckPassword(false, q, s)) << "\"none\" needs no question";
    EXPECT_EQ(q.Captions.size(), 1u);
}

TEST(SitePassword, FirstUseSetsAfterConfirmation) {
    TSitePassword p;
    TScriptedPrompt q;
    TMemoryStore s;
    q.Answers = {"pw", "other"};
    EXPECT_FALSE(p.CheckPassword(false, q, s));
    EXPECT_EQ(q.Errors, std::vector<std::string>{"前後兩次所輸入的密碼不相同!"});
    EXPECT_EQ(s.Stored, "");
    q.Answers = {"pw", "pw"};
    EXPECT_TRUE(p.CheckPassword(false, q, s));
    EXPECT_EQ(s.Stored, "pw");
    EXPECT_TRUE(p.Unlocked());
    // Cancel and an empty entry refuse without storing.
    TSitePassword fresh;
    TMemoryStore empty;
    q.Answers = {std::nullopt};
    EXPECT_FALSE(fresh.CheckPassword(false, q, empty));
    q.Answers = {""};
    EXPECT_FALSE(fresh.CheckPassword(false, q, empty));
    EXPECT_EQ(empty.Writes, 0);
}

TEST(SitePassword, AskedOncePerRunUntilLocked) {
    TSitePassword p;
    TScriptedPrompt q;
    TMemoryStore s;
    s.Stored = "Secret";
    q.Answers = {"secret"};
    EXPECT_FALSE(p.CheckPassword(false, q, s)) << "compared case-sensitively";
    EXPECT_EQ(q.Errors, std::vector<std::string>{"密碼錯誤!"});
    q.Answers = {"Secret"};
    EXPECT_TRUE(p.CheckPassword(false, q, s));
    EXPECT_TRUE(p.CheckPassword(false, q, s));
    EXPECT_EQ(q.Captions.size(), 2u);
    p.Lock();
    q.Answers = {std::nullopt};
    EXPECT_FALSE(p.CheckPassword(false, q, s));
}

TEST(SitePassword, ResetAsksOldThenNewTwice) {
    TSitePassword p;
    TScriptedPrompt q;
    TMemoryStore s;
    s.Stored = "old";
    q.Answers = {"old", "new", "new"};
    EXPECT_TRUE(p.CheckPassword(true, q, s));
    EXPECT_EQ(q.Captions, (std::vector<std::string>{kEnter, kSet, kConfirm}));
    EXPECT_EQ(s.Stored, "new");
    // Unlocked or not, a reset asks again; "none" stored skips the old one.
    s.Stored = "none";
    q.Captions.clear();
    q.Answers = {"none"};
    EXPECT_TRUE(p.CheckPassword(true, q, s));
    EXPECT_EQ(q.Captions, std::vector<std::string>{kSet});
}

TEST(SitePassword, WriteFailureRefuses) {
    TSitePassword p;
    TScriptedPrompt q;
    TMemoryStore s;
    s.Fail = true;
    q.Answers = {"none"};
    EXPECT_FALSE(p.CheckPassword(false, q, s));
    EXPECT_FALSE(p.Unlocked());
}
