// Command lines and hand-over files on arbitrary bytes: arguments are the
// input split at NUL bytes. No crash; a URL's host never holds a separator,
// its port is digits (or the default); a hand-over file read and written
// again reads the same.
#include "session/core/CommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

static void Check(bool ok) {
    if (!ok) std::abort();
}

static bool Digits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> args;
    std::size_t start = 0;
    while (start <= bytes.size() && args.size() < 5) {
        std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        args.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    TArguments a = FirstThree(args);
    TStartRequest r = ReadCommandLine(a, {"box", "", "23"});
    if (r.Action == TStartAction::RunScript) Check(IsScriptArgument(a.P1));
    if (IsHandover(a)) {
        THandover h = HandoverFromArguments(a);
        THandover back = ReadHandoverFile(HandoverFileText(h), nullptr);
        (void)back;
    }

    std::string body;
    TTelnetUrl url;
    if (TelnetUrlBody(bytes, body) && ParseUrlBody(body, url)) {
        Check(url.Host.find_first_of(":;") == std::string::npos);
        Check(Digits(url.Port));
    }

    // The hand-over file as a reader meets it; NUL and CR inside a value are
    // written back as blanks, so the round trip is checked without them.
    bool hasHost = false;
    (void)ReadHandoverFile(bytes, &hasHost);
    for (char& c : bytes)
        if (c == '\0' || c == '\r') c = '\x01';
    THandover file = ReadHandoverFile(bytes, &hasHost);
    if (hasHost) Check(!file.Host.empty());
    THandover again = ReadHandoverFile(HandoverFileText(file), nullptr);
    Check(again == file);
    return 0;
}
