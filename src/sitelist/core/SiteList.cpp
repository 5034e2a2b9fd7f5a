#include "sitelist/core/SiteList.h"

#include <algorithm>

namespace sitelist {

TSiteList::TSiteList() = default;

// ---- the file ---------------------------------------------------------------

void TSiteList::Assign(std::string_view bytes) {
    SplitLines(bytes, FLines, FEndsWithLineEnd);
    ClearCopy();
    Classify();
    Modified = false;
    if (FObserver) FObserver->Reset();
}

std::string TSiteList::Text() const {
    std::size_t size = 0;
    for (const auto& l : FLines)
        size += l.size() + 2;
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        out += FLines[i];
        if (i + 1 < FLines.size() || FEndsWithLineEnd) out += "\r\n";
    }
    return out;
}

// Pre-order walk with the stack of open folders (depths 0, 1, 2, ...): a
// folder line may be at most one deeper than the innermost open folder; a
// site line belongs to the open folder of its depth, which may lie outside
// a subfolder met since: then that subfolder is closed by it, as its
// block has ended.
void TSiteList::Classify() {
    FInfo.assign(FLines.size(), TLineInfo{});
    FNodes.clear();
    std::vector<int> open;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const std::string& line = FLines[i];
        if (line.empty()) continue;
        TLineDepth d = ParseLineDepth(line);
        std::size_t dashes = static_cast<std::size_t>(d.Depth + (d.IsSite ? 1 : 0));
        if (d.IsSite) {
            auto depth = static_cast<std::size_t>(d.Depth);
            if (depth < open.size()) {
                open.resize(depth + 1);
                FInfo[i] = {TLineKind::Site, open.back()};
            }
            continue;
        }
        if (dashes >= line.size() || line[dashes] != '/') continue;
        int inner = open.empty() ? -1 : FNodes[static_cast<std::size_t>(open.back())].Depth;
        if (d.Depth > inner + 1) continue;
        while (!open.empty() && FNodes[static_cast<std::size_t>(open.back())].Depth >= d.Depth)
            open.pop_back();
        TFolderNode node;
        node.Line = static_cast<int>(i);
        node.Depth = d.Depth;
        node.Parent = open.empty() ? -1 : open.back();
        FInfo[i] = {TLineKind::Folder, static_cast<int>(FNodes.size())};
        open.push_back(static_cast<int>(FNodes.size()));
        FNodes.push_back(node);
    }
}

// ---- lines and nodes ----------------------------------------------------------

int TSiteList::NodeOfLine(int line) const {
    if (line < 0 || line >= LineCount() || Kind(line) != TLineKind::Folder) return -1;
    return FInfo[static_cast<std::size_t>(line)].Node;
}

int TSiteList::OwnerOfSite(int line) const {
    if (line < 0 || line >= LineCount() || Kind(line) != TLineKind::Site) return -1;
    return FInfo[static_cast<std::size_t>(line)].Node;
}

std::vector<int> TSiteList::Children(int node) const {
    std::vector<int> out;
    int end = NodeCount();
    if (node >= 0)
        for (end = node + 1; end < NodeCount() && Node(end).Depth > Node(node).Depth;)
            ++end;
    for (int n = node + 1; n < end; ++n)
        if (Node(n).Parent == node) out.push_back(n);
    return out;
}

int TSiteList::ChildIndex(int node) const {
    int parent = Node(node).Parent;
    int index = 0;
    for (int n = parent + 1; n < node; ++n)
        if (Node(n).Parent == parent) ++index;
    return index;
}

// ---- folder queries -----------------------------------------------------------

// The block ends at the next folder of the same or a lower depth, or earlier
// at a site of an enclosing folder that follows the folder's last line.
int TSiteList::BlockEnd(int node) const {
    int depth = Node(node).Depth;
    int end = LineCount();
    for (int n = node + 1; n < NodeCount(); ++n)
        if (Node(n).Depth <= depth) {
            end = Node(n).Line;
            break;
        }
    for (int i = Node(node).Line + 1; i < end; ++i)
        if (Kind(i) == TLineKind::Site &&
            Node(FInfo[static_cast<std::size_t>(i)].Node).Depth < depth)
            return i;
    return end;
}

TFolderScan TSiteList::ScanFolder(int node) const {
    TFolderScan s;
    s.BlockEnd = BlockEnd(node);
    auto note = [](int& first, int& last, int i) {
        if (first < 0) first = i;
        last = i;
    };
    for (int i = Node(node).Line + 1; i < s.BlockEnd; ++i) {
        int owner = FInfo[static_cast<std::size_t>(i)].Node;
        if (Kind(i) == TLineKind::Site && owner == node) note(s.FirstSite, s.LastSite, i);
        if (Kind(i) == TLineKind::Folder && Node(owner).Parent == node)
            note(s.FirstSubFolder, s.LastSubFolder, i);
        if (Kind(i) == TLineKind::Site && Node(owner).Parent == node)
            note(s.FirstSubSite, s.LastSubSite, i);
    }
    return s;
}

// Its sites stand anywhere in its block: before its subfolders, or after one.
std::vector<int> TSiteList::SiteLines(int node) const {
    std::vector<int> out;
    int end = BlockEnd(node);
    for (int i = Node(node).Line + 1; i < end; ++i)
        if (Kind(i) == TLineKind::Site && FInfo[static_cast<std::size_t>(i)].Node == node)
            out.push_back(i);
    return out;
}

std::vector<TSiteItem> TSiteList::FillSiteList(int node) const {
    std::vector<TSiteItem> out;
    for (int line : SiteLines(node))
        out.push_back({line, ParseSiteLine(Line(line))});
    return out;
}

std::vector<std::string> TSiteList::SiteAliases(int node) const {
    std::vector<std::string> out;
    for (int line : SiteLines(node))
        out.push_back(ParseSiteLine(Line(line)).Alias);
    return out;
}

int TSiteList::SiteInsertPoint(int node) const {
    std::vector<int> sites = SiteLines(node);
    return sites.empty() ? Node(node).Line + 1 : sites.back() + 1;
}

// ---- the one way lines change -------------------------------------------------

void TSiteList::Insert(int at, std::vector<std::string> lines) {
    if (lines.empty()) return;
    at = std::clamp(at, 0, LineCount());
    if (at == LineCount()) FEndsWithLineEnd = true;
    int n = static_cast<int>(lines.size());
    std::vector<TFolderNode> before = FNodes;
    FLines.insert(FLines.begin() + at, std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
    if (FCopiedFolderLine >= at) FCopiedFolderLine += n;
    Classify();
    Modified = true;
    Notify(before, at, 0, n);
}

void TSiteList::Erase(int first, int count) {
    first = std::clamp(first, 0, LineCount());
    count = std::clamp(count, 0, LineCount() - first);
    if (count == 0) return;
    std::vector<TFolderNode> before = FNodes;
    FLines.erase(FLines.begin() + first, FLines.begin() + first + count);
    if (FCopiedFolderLine >= first + count)
        FCopiedFolderLine -= count;
    else if (FCopiedFolderLine >= first)
        FCopiedFolderLine = -1;
    Classify();
    Modified = true;
    Notify(before, first, count, 0);
}

void TSiteList::Replace(int line, std::string text) {
    if (line < 0 || line >= LineCount() || FLines[static_cast<std::size_t>(line)] == text) return;
    std::vector<TFolderNode> before = FNodes;
    FLines[static_cast<std::size_t>(line)] = std::move(text);
    Classify();
    Modified = true;
    Notify(before, line, 1, 1);
}

// Lines [at, at + erased) were replaced by [at, at + inserted). Nodes before
// and after that range must keep their depth and parent (shifted), else the
// observer rebuilds.
void TSiteList::Notify(const std::vector<TFolderNode>& before, int at, int erased, int inserted) {
    if (!FObserver) return;
    auto firstAtOrAfter = [](const std::vector<TFolderNode>& nodes, int line) {
        return static_cast<int>(
            std::lower_bound(nodes.begin(), nodes.end(), line,
                             [](const TFolderNode& n, int l) { return n.Line < l; }) -
            nodes.begin());
    };
    int a = firstAtOrAfter(before, at);
    int b = firstAtOrAfter(before, at + erased);
    int k = firstAtOrAfter(FNodes, at + inserted) - firstAtOrAfter(FNodes, at);
    bool same = firstAtOrAfter(FNodes, at) == a &&
                NodeCount() == static_cast<int>(before.size()) - (b - a) + k;
    bool inPlace = erased == inserted && b - a == k;
    int shift = inserted - erased;
    for (int i = 0; same && i < a; ++i) {
        const TFolderNode &o = before[static_cast<std::size_t>(i)], &n = Node(i);
        same = o.Line == n.Line && o.Depth == n.Depth && o.Parent == n.Parent;
    }
    for (int i = b; same && i < static_cast<int>(before.size()); ++i) {
        const TFolderNode& o = before[static_cast<std::size_t>(i)];
        const TFolderNode& n = Node(i - (b - a) + k);
        int parent = o.Parent;
        if (parent >= b)
            parent += k - (b - a);
        else if (parent >= a && !inPlace)
            same = false;
        same = same && o.Line + shift == n.Line && o.Depth == n.Depth && parent == n.Parent;
    }
    if (!same)
        FObserver->Reset();
    else if (inPlace)
        for (int i = a; i < b; ++i)
            FObserver->NodeChanged(i);
    else {
        if (b > a) FObserver->NodesErased(a, b - a);
        if (k > 0) FObserver->NodesInserted(a, k);
    }
}

// ---- edits ----------------------------------------------------------------------

int TSiteList::CreateFolder(int node) {
    std::string name = NewFolderName();
    for (int child : Children(node))
        if (FolderName(child) == name) name = MakeCopyName(name, NewPrefix());
    int depth = node < 0 ? 0 : Node(node).Depth + 1;
    int at = node >= 0 ? BlockEnd(node) : NodeCount() > 0 ? Node(0).Line : LineCount();
    Insert(at, {FormatFolderLine(depth, name)});
    return NodeOfLine(at);
}

int TSiteList::CreateSite(int node) {
    std::string alias = NewSiteAlias();
    for (const std::string& a : SiteAliases(node))
        if (a == alias) alias = MakeCopyName(alias, NewPrefix());
    int at = SiteInsertPoint(node);
    Insert(at, {FormatSiteLine(Node(node).Depth, {alias, NewSiteAddress(), "23", ""})});
    return at;
}

std::string TSiteList::RenameFolder(int node, std::string_view name) {
    if (name.empty()) return {};
    std::string error = CheckFolderName(name);
    if (error.empty()) Replace(Node(node).Line, FormatFolderLine(Node(node).Depth, name));
    return error;
}

std::string TSiteList::RenameSite(int line, std::string_view alias) {
    if (alias.empty() || Kind(line) != TLineKind::Site) return {};
    std::string error = CheckSiteFields({std::string(alias), "", "", ""});
    if (error.empty()) Replace(line, ReplaceAlias(Line(line), alias));
    return error;
}

bool TSiteList::SetSite(int line, const TSiteFields& site) {
    if (Kind(line) != TLineKind::Site) return false;
    TSiteFields clean = site;
    clean.Remark = OneLineRemark(site.Remark);
    if (!CheckSiteFields(clean).empty() || ParseSiteLine(Line(line)) == clean) return false;
    Replace(line, FormatSiteLine(Node(OwnerOfSite(line)).Depth, clean));
    return true;
}

void TSiteList::DeleteFolder(int node) {
    int line = Node(node).Line;
    Erase(line, BlockEnd(node) - line);
    ClearCopy();
}

void TSiteList::DeleteSites(std::vector<int> lines) {
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    // From the bottom up, one erase per run of neighbouring lines.
    for (std::size_t end = lines.size(); end > 0;) {
        std::size_t start = end - 1;
        while (start > 0 && lines[start - 1] + 1 == lines[start])
            --start;
        int first = lines[start];
        int count = static_cast<int>(end - start);
        bool allSites = true;
        for (int i = first; i < first + count; ++i)
            allSites = allSites && i < LineCount() && Kind(i) == TLineKind::Site;
        if (allSites)
            Erase(first, count);
        else
            for (std::size_t i = end; i-- > start;)
                if (lines[i] < LineCount() && Kind(lines[i]) == TLineKind::Site) Erase(lines[i], 1);
        end = start;
    }
    ClearCopy();
}

void TSiteList::ClearCopy() {
    FCopyKind = TCopy::None;
    FCopied.clear();
    FCopiedFolderLine = -1;
}

void TSiteList::CopyFolder(int node) {
    int line = Node(node).Line;
    FCopied.assign(FLines.begin() + line, FLines.begin() + BlockEnd(node));
    FCopiedDepth = Node(node).Depth;
    FCopiedFolderLine = line;
    FCopyKind = TCopy::Folder;
}

void TSiteList::CopySites(const std::vector<int>& lines) {
    ClearCopy();
    for (int line : lines)
        if (line >= 0 && line < LineCount() && Kind(line) == TLineKind::Site)
            FCopied.push_back(Line(line));
    if (!FCopied.empty()) FCopyKind = TCopy::Sites;
}

std::string TSiteList::Paste(int node, std::vector<int>* pasted) {
    if (pasted) pasted->clear();
    if (node < 0 || node >= NodeCount() || FCopyKind == TCopy::None) return {};
    int target = Node(node).Line;
    if (FCopyKind == TCopy::Folder) {
        int source = NodeOfLine(FCopiedFolderLine);
        if (source >= 0 && target == FCopiedFolderLine) return "來源和目的為同一目錄!";
        if (source >= 0 && target > FCopiedFolderLine && target < BlockEnd(source))
            return "目的是來源的子目錄!";
        int shift = Node(node).Depth + 1 - FCopiedDepth;
        std::vector<std::string> lines;
        lines.reserve(FCopied.size());
        for (const std::string& l : FCopied)
            lines.push_back(!l.empty() && (l[0] == '-' || l[0] == '/') ? ShiftLineDepth(l, shift)
                                                                       : l);
        Insert(BlockEnd(node), std::move(lines));
        return {};
    }
    std::vector<std::string> lines;
    TCopyNamer namer(SiteAliases(node));
    for (const std::string& l : FCopied) {
        std::string line = ShiftLineDepth(l, Node(node).Depth - ParseLineDepth(l).Depth);
        std::string alias = ParseSiteLine(line).Alias;
        std::string unique = namer.Take(alias);
        if (unique != alias) line = ReplaceAlias(line, unique);
        lines.push_back(std::move(line));
    }
    int at = SiteInsertPoint(node);
    int n = static_cast<int>(lines.size());
    Insert(at, std::move(lines));
    if (pasted)
        for (int i = 0; i < n; ++i)
            pasted->push_back(at + i);
    return {};
}

int TSiteList::Import(int node, std::string_view bytes) {
    TSiteList source;
    source.Assign(bytes);
    int shift = node >= 0 ? Node(node).Depth + 1 : 0;
    std::vector<std::string> lines;
    for (int i = 0; i < source.LineCount(); ++i)
        if (source.Kind(i) != TLineKind::Other)
            lines.push_back(ShiftLineDepth(source.Line(i), shift));
    int n = static_cast<int>(lines.size());
    Insert(node >= 0 ? BlockEnd(node) : LineCount(), std::move(lines));
    if (n > 0) Modified = true;
    return n;
}

} // namespace sitelist
