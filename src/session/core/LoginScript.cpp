#include "session/core/LoginScript.h"

#include "platform/core/Big5.h"

#include <algorithm>
#include <limits>

namespace session {

namespace {

bool PairAt(std::string_view t, std::size_t i) {
    return i + 1 < t.size() && win::IsBig5Lead(static_cast<unsigned char>(t[i]));
}

char ControlOf(char n) {
    return n == '[' ? '\x1B' : static_cast<char>(static_cast<unsigned char>(n) & 31);
}

} // namespace

TScriptRun RunLoginScript(std::string_view t, int pos, bool headCapture) {
    TScriptRun r;
    std::size_t i = pos < 1 ? 0 : static_cast<std::size_t>(pos - 1);
    auto finish = [&](std::size_t next) {
        r.Pos = next >= static_cast<std::size_t>(std::numeric_limits<int>::max())
                    ? std::numeric_limits<int>::max()
                    : static_cast<int>(next + 1);
    };
    while (i < t.size()) {
        const char c = t[i];
        if (PairAt(t, i)) {
            r.Out.append(t.substr(i, 2));
            i += 2;
        } else if (c == '^' && i + 1 < t.size()) {
            const char n = t[i + 1];
            if ((n == 'M' || n == 'm') && headCapture && !r.Out.empty()) {
                headCapture = false;
                r.HeadCaptured = true;
                r.HeadString = r.Out;
            }
            r.Out.push_back(ControlOf(n));
            i += 2;
        } else if (c == '~') {
            ++i;
            if (i < t.size() && t[i] == '~') {
                r.Out.push_back('~');
                ++i;
                continue;
            }
            // Seconds, saturating at what a millisecond timer can hold.
            constexpr int kMaxSeconds = std::numeric_limits<int>::max() / 1000;
            int n = 0;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
                n = n > kMaxSeconds / 10 ? kMaxSeconds
                                         : std::min(kMaxSeconds, n * 10 + (t[i] - '0'));
                ++i;
            }
            if (i < t.size() && t[i] == '~') ++i;
            r.Wait = TScriptRun::wTimer;
            r.TimerMs = n * 1000;
            finish(i);
            return r;
        } else if (c == '@') {
            ++i;
            if (i < t.size() && t[i] == '@') {
                r.Out.push_back('@');
                ++i;
                continue;
            }
            std::size_t e = i;
            while (e < t.size() && t[e] != '@' && t[e] != '\r')
                e += PairAt(t, e) ? 2 : 1;
            r.KeyWord.assign(t.substr(i, e - i));
            i = e;
            if (i < t.size() && t[i] == '@') ++i;
            if (r.KeyWord.empty()) {
                // Nothing can ever match an empty keyword: go on soon.
                r.Wait = TScriptRun::wTimer;
                r.TimerMs = 0;
            } else {
                r.Wait = TScriptRun::wKeyWord;
            }
            finish(i);
            return r;
        } else {
            r.Out.push_back(c);
            ++i;
        }
    }
    r.Wait = TScriptRun::wEnd;
    finish(t.size());
    return r;
}

TScriptRun StepLogin(TLoginState& st) {
    TScriptRun r = RunLoginScript(st.LoginScript, st.ScriptPos, st.HeadStringEnabled);
    st.ScriptPos = r.Pos;
    if (r.HeadCaptured) st.HeadStringEnabled = false;
    if (r.Wait == TScriptRun::wKeyWord) {
        st.KeyWord = r.KeyWord;
        st.TriggerCnt = 1;
    } else if (r.Wait == TScriptRun::wEnd) {
        st.ScriptDone = 1;
    }
    return r;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int HexByteValue(char high, char low) {
    const int h = HexDigitValue(high), l = HexDigitValue(low);
    return h < 0 || l < 0 ? -1 : h * 16 + l;
}

std::string DecodeAutoKey(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    std::size_t i = 0;
    while (i < t.size()) {
        const char c = t[i];
        if (PairAt(t, i)) {
            out.append(t.substr(i, 2));
            i += 2;
        } else if (c == '^' && i + 1 < t.size()) {
            out.push_back(ControlOf(t[i + 1]));
            i += 2;
        } else if (c == '\\' && i + 3 < t.size() && (t[i + 1] == 'x' || t[i + 1] == 'X') &&
                   HexByteValue(t[i + 2], t[i + 3]) >= 0) {
            out.push_back(static_cast<char>(HexByteValue(t[i + 2], t[i + 3])));
            i += 4;
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

} // namespace session
