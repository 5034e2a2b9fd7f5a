#include "session/ShellLink.h"

#include "platform/core/Files.h"
#include "session/core/DesktopEntry.h"

#include <sys/stat.h>

namespace {

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string EntryName(const std::string& linkFile) {
    std::size_t slash = linkFile.rfind('/');
    std::string name = slash == std::string::npos ? linkFile : linkFile.substr(slash + 1);
    const std::string ext = ".desktop";
    if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
        name.resize(name.size() - ext.size());
    return name;
}

// A single-line value: a line break in a field would start a new key.
std::string Line(const std::string& key, const std::string& value) {
    return key + "=" + EscapeDesktopString(value) + "\n";
}

} // namespace

std::string TShellLink::EntryText() const {
    std::vector<std::string> argv{ProgramFile};
    argv.insert(argv.end(), Arguments.begin(), Arguments.end());
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Version=1.0\n";
    text += Line("Name", EntryName(LinkFile));
    if (!Description.empty()) text += Line("Comment", Description);
    text += Line("Exec", BuildExecLine(argv));
    std::string folder = WorkingDirectory.empty() ? FolderOf(ProgramFile) : WorkingDirectory;
    if (!folder.empty()) text += Line("Path", folder);
    if (!IconFile.empty()) text += Line("Icon", IconFile);
    text += "Terminal=false\n";
    return text;
}

void TShellLink::Write() {
    if (LinkFile.empty()) throw EShellLink("No shortcut file name");
    if (ProgramFile.empty()) throw EShellLink("No program for the shortcut");
    try {
        win::WriteFileAtomic(LinkFile, EntryText());
    } catch (const win::EFileError& e) {
        throw EShellLink(e.what());
    }
    if (::chmod(LinkFile.c_str(), 0755) != 0)
        throw EShellLink(LinkFile + ": cannot make the shortcut runnable");
}

void TShellLink::Read() {
    std::string text;
    try {
        if (!win::ReadWholeFile(LinkFile, text)) throw EShellLink(LinkFile + ": no such shortcut");
    } catch (const win::EFileError& e) {
        throw EShellLink(e.what());
    }
    TDesktopFile f = ParseDesktopFile(text);
    const char* group = "Desktop Entry";
    auto exec = f.String(group, "Exec");
    if (!exec) throw EShellLink(LinkFile + ": not a shortcut to a program");
    std::vector<std::string> argv;
    if (!SplitExecLine(*exec, {}, argv) || argv.empty())
        throw EShellLink(LinkFile + ": the shortcut's command cannot be read");
    ProgramFile = argv[0];
    Arguments.assign(argv.begin() + 1, argv.end());
    Description = f.String(group, "Comment").value_or("");
    IconFile = f.String(group, "Icon").value_or("");
    WorkingDirectory = f.String(group, "Path").value_or("");
}
