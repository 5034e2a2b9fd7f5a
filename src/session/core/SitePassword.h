// The directory password that guards the stored login texts: asked at most
// once per run, set on first use, changed on request. The questions and the
// storage are injected, so the rule runs the same behind the dialog and in
// tests.
#pragma once
#include <optional>
#include <string>

namespace session {

// Asks for the password and shows the errors.
class TPasswordPrompt {
public:
    virtual ~TPasswordPrompt() = default;
    // The entry as Big5 bytes, or nullopt for Cancel. Captions, labels and
    // errors are UTF-8.
    virtual std::optional<std::string> Ask(const std::string& caption,
                                           const std::string& label) = 0;
    virtual void Error(const std::string& text) = 0;
};

// Where the password lives (plain values; the store scrambles them).
class TPasswordStore {
public:
    virtual ~TPasswordStore() = default;
    // Empty when none is stored or the stored one does not decode.
    virtual std::string Read() = 0;
    // False when it could not be written (the store reports the failure).
    virtual bool Write(const std::string& plain) = 0;
};

// The entry that means "no password".
inline constexpr const char* kNoPassword = "none";

class TSitePassword {
public:
    // True when the caller may go on. With change, a confirmed existing
    // password (or "none") is followed by setting a new one.
    bool CheckPassword(bool change, TPasswordPrompt& prompt, TPasswordStore& store);

    bool Unlocked() const { return FUnlocked; }
    // The ask-again command: the next check asks once more.
    void Lock() { FUnlocked = false; }

private:
    bool SetNew(TPasswordPrompt& prompt, TPasswordStore& store);
    bool FUnlocked = false;
};

} // namespace session
