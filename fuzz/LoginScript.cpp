// The login-script interpreter and the anti-idle decoder on arbitrary text:
// every run moves forward or ends, the whole script ends within one step per
// byte, nothing is read past the text, and the output never outgrows it.
#include "session/core/LoginScript.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16) return 0;
    // A copy of exactly the input, so a read past its end is caught.
    std::string text(reinterpret_cast<const char*>(data), size);
    session::TLoginState st;
    st.LoginScript = text;
    st.HeadStringEnabled = size > 0 && (data[0] & 1);
    std::size_t sent = 0, steps = 0;
    while (!st.ScriptDone) {
        const int before = st.ScriptPos;
        session::TScriptRun r = session::StepLogin(st);
        sent += r.Out.size();
        if (r.Wait != session::TScriptRun::wEnd && r.Pos <= before) std::abort();
        if (r.HeadCaptured && r.HeadString.size() > r.Out.size()) std::abort();
        if (r.Wait == session::TScriptRun::wTimer && r.TimerMs < 0) std::abort();
        if (++steps > size + 1) std::abort();
    }
    if (sent > size) std::abort();
    if (session::DecodeAutoKey(text).size() > size) std::abort();
    return 0;
}
