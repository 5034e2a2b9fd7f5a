#include "session/core/SitePassword.h"

namespace session {

bool TSitePassword::SetNew(TPasswordPrompt& prompt, TPasswordStore& store) {
    auto first = prompt.Ask("設定密碼 - 將作為存取簽入字串的身份確認",
                            "若不想要有密碼的功能，請輸入\"none\"即可!");
    if (!first || first->empty()) return false;
    if (*first != kNoPassword) {
        auto second = prompt.Ask("確認密碼", "請再輸入一次");
        if (!second) return false;
        if (*second != *first) {
            prompt.Error("前後兩次所輸入的密碼不相同!");
            return false;
        }
    }
    if (!store.Write(*first)) return false;
    FUnlocked = true;
    return true;
}

bool TSitePassword::CheckPassword(bool change, TPasswordPrompt& prompt, TPasswordStore& store) {
    if (FUnlocked && !change) return true;
    std::string stored = store.Read();
    if (stored.empty()) return SetNew(prompt, store);
    if (stored != kNoPassword) {
        auto entry = prompt.Ask("請輸入密碼", "");
        if (!entry) return false;
        if (*entry != stored) {
            prompt.Error("密碼錯誤!");
            return false;
        }
    }
    FUnlocked = true;
    return change ? SetNew(prompt, store) : true;
}

} // namespace session
