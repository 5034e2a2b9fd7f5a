#include "sitelist/core/SiteLines.h"

#include "platform/core/Big5.h"
#include "platform/core/IniFile.h"

namespace sitelist {

namespace {

std::size_t CountDashes(std::string_view line) {
    std::size_t n = 0;
    while (n < line.size() && line[n] == '-')
        ++n;
    return n;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

TLineDepth ParseLineDepth(std::string_view line) {
    TLineDepth r;
    std::size_t n = CountDashes(line);
    r.Depth = static_cast<int>(n);
    if (n + 1 < line.size() && line[n] == '/' && line[n + 1] == '/') {
        r.IsSite = true;
        --r.Depth;
    }
    return r;
}

std::string ReadField(std::string_view line, std::size_t& pos) {
    if (pos >= line.size()) {
        pos = line.size();
        return {};
    }
    std::size_t end = line.find(';', pos);
    std::string field(line.substr(pos, end == std::string_view::npos ? end : end - pos));
    pos = end == std::string_view::npos ? line.size() : end + 1;
    return field;
}

TSiteFields ParseSiteLine(std::string_view line) {
    std::size_t pos = CountDashes(line) + 2;
    TSiteFields f;
    f.Alias = ReadField(line, pos);
    f.Address = ReadField(line, pos);
    f.Port = ReadField(line, pos);
    if (pos < line.size()) f.Remark = std::string(line.substr(pos));
    return f;
}

std::string FormatSiteLine(int folderDepth, const TSiteFields& site) {
    std::string line(static_cast<std::size_t>(folderDepth + 1), '-');
    line += "//";
    line += site.Alias + ";" + site.Address + ";" + site.Port + ";" + site.Remark;
    return line;
}

std::string FolderLineName(std::string_view line) {
    std::size_t n = CountDashes(line);
    return n < line.size() ? std::string(line.substr(n + 1)) : std::string();
}

std::string FormatFolderLine(int depth, std::string_view name) {
    std::string line(static_cast<std::size_t>(depth), '-');
    line += '/';
    line += name;
    return line;
}

std::string ReplaceAlias(std::string_view line, std::string_view alias) {
    std::size_t start = CountDashes(line) + 2;
    if (start > line.size()) start = line.size();
    std::size_t end = line.find(';', start);
    std::string out(line.substr(0, start));
    out += alias;
    if (end != std::string_view::npos) out += line.substr(end);
    return out;
}

std::string ShiftLineDepth(std::string_view line, int shift) {
    std::size_t n = CountDashes(line);
    int dashes = static_cast<int>(n) + shift;
    std::string out(static_cast<std::size_t>(dashes < 0 ? 0 : dashes), '-');
    out += line.substr(n);
    return out;
}

std::string MakeCopyName(std::string_view name, std::string_view prefix) {
    std::string p(prefix);
    if (name.starts_with(p + " - ")) return p + " (2) - " + std::string(name.substr(p.size() + 3));
    std::string open = p + " (";
    if (name.starts_with(open)) {
        std::size_t i = open.size();
        long long n = 0;
        std::size_t digits = 0;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9' && digits < 15) {
            n = n * 10 + (name[i] - '0');
            ++i;
            ++digits;
        }
        if (digits > 0 && name.substr(i).starts_with(") - "))
            return open + std::to_string(n + 1) + std::string(name.substr(i));
    }
    return p + " - " + std::string(name);
}

TCopyNamer::TCopyNamer(const std::vector<std::string>& taken)
    : FTaken(taken.begin(), taken.end()) {}

std::string TCopyNamer::Take(const std::string& name) {
    std::vector<std::string> walked;
    std::string cur = name;
    while (FTaken.count(cur)) {
        walked.push_back(cur);
        auto resume = FResume.find(cur);
        cur = resume != FResume.end() ? resume->second : MakeCopyName(cur, CopyPrefix());
    }
    FTaken.insert(cur);
    for (const std::string& w : walked)
        FResume[w] = cur;
    return cur;
}

int PortNumber(std::string_view text) {
    return win::StrToIntDef(text, 23);
}

std::string CheckSiteFields(const TSiteFields& site) {
    for (const std::string* f : {&site.Alias, &site.Address, &site.Port})
        if (f->find(';') != std::string::npos || HasLineBreak(*f))
            return "站台名稱、位址和通訊埠不可含有分號 (;) 或換行。";
    return {};
}

std::string CheckFolderName(std::string_view name) {
    if (HasLineBreak(name)) return "資料匣名稱不可含有換行。";
    if (name.starts_with('/')) return "資料匣名稱不可以 / 開頭。";
    return {};
}

std::string OneLineRemark(std::string_view remark) {
    while (!remark.empty() && (remark.back() == '\n' || remark.back() == '\r'))
        remark.remove_suffix(1);
    std::string out;
    out.reserve(remark.size());
    for (std::size_t i = 0; i < remark.size(); ++i) {
        char c = remark[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < remark.size() && remark[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string NoBig5Message() {
    return "文字中有 Big5 無法表示的字元,無法儲存。";
}

const std::string& NewFolderName() {
    static const std::string s = win::Utf8ToBig5("新資料匣");
    return s;
}
const std::string& NewSiteAlias() {
    static const std::string s = win::Utf8ToBig5("新站台");
    return s;
}
const std::string& NewSiteAddress() {
    static const std::string s = win::Utf8ToBig5("位址");
    return s;
}
const std::string& NewPrefix() {
    static const std::string s = win::Utf8ToBig5("新增");
    return s;
}
const std::string& CopyPrefix() {
    static const std::string s = win::Utf8ToBig5("複製");
    return s;
}

void SplitLines(std::string_view bytes, std::vector<std::string>& lines, bool& endsWithLineEnd) {
    lines.clear();
    endsWithLineEnd = true;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) {
        lines.emplace_back(bytes.substr(start));
        endsWithLineEnd = false;
    }
}

} // namespace sitelist
