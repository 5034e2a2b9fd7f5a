// What the terminal's command line means: the telnet URL grammar, the
// choice between a full start and a hand-over to a running instance, and
// the hand-over file KVpass.
//
// Arguments are raw bytes as the process received them, so a Big5 alias
// passes unchanged.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The parts of a telnet URL body ("alias;host:port/" and its shorter forms).
struct TTelnetUrl {
    std::string Alias;
    std::string Host;
    std::string Port;
    bool PortGiven = false; // digits followed a separator
    bool operator==(const TTelnetUrl&) const = default;
};

// Parses a body (the argument without "telnet://" or "telnet:"). An empty
// body gives false and leaves url alone.
bool ParseUrlBody(const std::string& body, TTelnetUrl& url);

// The body after a "TELNET://" or "TELNET:" scheme (letter case ignored,
// the longer one tested first); false when arg has neither.
bool TelnetUrlBody(const std::string& arg, std::string& body);
// True when arg starts with "SCRIPT://" in any letter case.
bool IsScriptArgument(const std::string& arg);

// The host box, the pending host and the port box of the first instance.
struct TConnectFields {
    std::string HostBox;
    std::string PendingHost;
    std::string PortBox;
    bool PortGiven = false; // the port box holds a port the command line gave
    bool operator==(const TConnectFields&) const = default;
};

// Applies a URL body to the first instance's boxes: the host box shows the
// alias when there is one (the host then goes to PendingHost), else the
// host; the port box takes the port. An empty body changes nothing.
void ParseTelnetUrl(const std::string& body, TConnectFields& fields);

// The three hand-over strings of a second start.
struct THandover {
    std::string Alias;
    std::string Host;
    std::string Port;
    // Names one request: the running instance removes it from the file once
    // it has read the request, which tells the writer the file is free again.
    std::string Ticket;
    // The port was given (not the default): it wins over an address-book
    // site of the same name. Stored as "PortGiven=1".
    bool PortGiven = false;
    bool operator==(const THandover&) const = default;
};
// Applies a URL body to the hand-over strings: the alias defaults to the
// host. An empty body changes nothing.
void ParseHandoverUrl(const std::string& body, THandover& handover);

// P2 as a port: every trailing "/" removed, "23" when P2 is empty.
std::string PortArgument(const std::string& p2);

// An argument as the program's Big5 bytes. The desktop hands arguments
// over as UTF-8: one that is valid UTF-8 and not plain ASCII is converted;
// anything else (the site-list program passes Big5) stays as it is, and so
// does a "SCRIPT://" argument, whose file name is the file system's bytes.
std::string ArgumentToBig5(const std::string& arg);

// The first three arguments (missing ones empty).
struct TArguments {
    std::string P1, P2, P3;
    std::size_t Count = 0; // how many arguments there were
    bool Empty() const { return Count == 0; }
};
TArguments FirstThree(const std::vector<std::string>& args);

// The arguments without the toolkit's own options, which the toolkit takes
// for itself ("-platform xcb", "-style=fusion", "-reverse" ...): they are
// neither a host nor a port.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& args);

// Options of the program itself, looked at before anything starts: the
// usage for "--help" ("-h"), an error for any other argument that starts
// with "-" (after the toolkit's own options were taken out).
enum class TOptionCheck { Run, Help, Unknown };
TOptionCheck CheckOptions(const std::vector<std::string>& args, std::string* unknown);
// The usage text: the argument forms the program accepts.
std::string UsageText(const std::string& program);

// What a start finds of a graphical desktop, before the toolkit starts.
struct TDisplayEnvironment {
    std::string Platform;       // the -platform argument, else QT_QPA_PLATFORM
    std::string Display;        // DISPLAY
    std::string WaylandDisplay; // WAYLAND_DISPLAY
    bool X11Opens = false;      // DISPLAY names a server that answers
};
// Empty when a platform can be had (any platform named explicitly other
// than xcb or wayland, such as offscreen, is taken as it is); else the
// message saying what is missing and how to try the program without a
// desktop: the command line it shows starts the program as it was started
// (`started`, argv[0]; the program's name when empty).
std::string NoDisplayMessage(const TDisplayEnvironment& env, const std::string& program,
                             const std::string& started = "");

// What the first show does with the command line.
enum class TStartAction { None, RunScript, Connect };
struct TStartRequest {
    TStartAction Action = TStartAction::None;
    std::string ScriptFile;      // RunScript: the file after "SCRIPT://"
    TConnectFields Fields;       // Connect: the boxes to fill
    bool SetPendingHost = false; // Connect: Fields.PendingHost is to be set
};
// boxes holds the boxes as they are (the host box from the history, the
// port box from the settings); the result says what to set. A link with
// nothing after its scheme asks for nothing.
TStartRequest ReadCommandLine(const TArguments& args, const TConnectFields& boxes);

// True when a second start with these arguments hands over instead of
// starting a full instance (anything but no arguments or a script).
bool IsHandover(const TArguments& args);
// The hand-over strings of a second start.
THandover HandoverFromArguments(const TArguments& args);

// The hand-over file: section "Para" with "Alias", "Host", "Port" (Big5).
std::string HandoverFileText(const THandover& h);
// Reads a hand-over file's text; missing keys give the defaults (the
// built-in host, port "23"). present tells whether "Host" was there and
// not empty: a request without a host only brings the window forward.
THandover ReadHandoverFile(const std::string& bytes, bool* hasHost);
