// The site-list file in memory: every line of Quillon.txt in file order, and
// the folder tree read from it.
//
// The tree is a view of the lines: one node per folder line, nodes in line
// order (pre-order), so a node's absolute index is its place among the
// folder lines. A folder's sites usually follow its line; a site line of a
// folder that comes after one of its subfolders still belongs to it, and
// ends that subfolder's block. Lines that fit the grammar nowhere (blank
// lines, stray text, a folder deeper than its parent allows, a site line
// that belongs to no folder of its depth) are kept byte for byte where they stand, shown
// nowhere, skipped by every walk, and moved and deleted with the folder
// block they lie in.
//
// Every change goes through Insert, Erase and Replace, which reclassify the
// lines, keep the copy state's folder line current and tell the observer
// which nodes came or went.
#pragma once
#include "sitelist/core/SiteLines.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sitelist {

enum class TLineKind : std::uint8_t { Other, Folder, Site };

struct TFolderNode {
    int Line = 0;    // its folder line
    int Depth = 0;   // 0 = top level
    int Parent = -1; // node index; -1 = top level
};

// Where a folder's lines are (ScanFolder); -1 where there are none.
struct TFolderScan {
    int FirstSite = -1, LastSite = -1;           // its own sites
    int FirstSubSite = -1, LastSubSite = -1;     // sites of its direct subfolders
    int FirstSubFolder = -1, LastSubFolder = -1; // its direct subfolder lines
    int BlockEnd = 0; // next folder line of the same or a lower depth, or the line count
};

// One site of a folder as the list shows it.
struct TSiteItem {
    int Line = 0;
    TSiteFields Fields;
};

// Told about changes to the tree. Nodes [first, first + count) of the new
// node list were inserted, or [first, first + count) of the old list erased
// (whole subtrees). Reset: rebuild the tree from scratch.
class TSiteListObserver {
public:
    virtual ~TSiteListObserver() = default;
    virtual void NodesInserted(int first, int count) = 0;
    virtual void NodesErased(int first, int count) = 0;
    virtual void NodeChanged(int node) = 0;
    virtual void Reset() = 0;
};

class TSiteList {
public:
    TSiteList();

    void SetObserver(TSiteListObserver* observer) { FObserver = observer; }

    // ---- the file ----
    // Replaces everything with the lines of a file (no node selected, the
    // copy state cleared, Modified cleared).
    void Assign(std::string_view bytes);
    // The file's bytes: every line ended by CR LF (the last one only when
    // the loaded file's last line had an end).
    std::string Text() const;
    bool Modified = false;

    // ---- lines and nodes ----
    int LineCount() const { return static_cast<int>(FLines.size()); }
    const std::string& Line(int i) const { return FLines[static_cast<std::size_t>(i)]; }
    TLineKind Kind(int i) const { return FInfo[static_cast<std::size_t>(i)].Kind; }
    int NodeCount() const { return static_cast<int>(FNodes.size()); }
    const TFolderNode& Node(int n) const { return FNodes[static_cast<std::size_t>(n)]; }
    // The node of a folder line, -1 for any other line.
    int NodeOfLine(int line) const;
    // The folder a site line belongs to, -1 for any other line.
    int OwnerOfSite(int line) const;
    std::string FolderName(int node) const { return FolderLineName(Line(Node(node).Line)); }
    // Child nodes of a node (-1: the top level), in order.
    std::vector<int> Children(int node) const;
    // The node's place among its parent's children.
    int ChildIndex(int node) const;

    // ---- folder queries ----
    // The folder's line (the tree node's absolute index is the node itself).
    int FindFolderLine(int node) const { return Node(node).Line; }
    TFolderScan ScanFolder(int node) const;
    // One past the last line of the folder's block: the next folder line of
    // the same or a lower depth, or a site line of an enclosing folder.
    int BlockEnd(int node) const;
    // The folder's sites in order.
    std::vector<TSiteItem> FillSiteList(int node) const;
    std::vector<int> SiteLines(int node) const;

    // ---- the one way lines change ----
    void Insert(int at, std::vector<std::string> lines);
    void Erase(int first, int count);
    void Replace(int line, std::string text);

    // ---- edits (texts are Big5; error results are UTF-8 messages) ----
    // A new folder "新資料匣" (made unique against its siblings) as the last
    // child of node (-1: a new first top-level folder). Returns its node.
    int CreateFolder(int node);
    // A new site "新站台;位址;23;" after the folder's last site; returns its line.
    int CreateSite(int node);
    // Empty result: done (an empty name changes nothing).
    std::string RenameFolder(int node, std::string_view name);
    std::string RenameSite(int line, std::string_view alias);
    // Rewrites a site line; false when nothing differed.
    bool SetSite(int line, const TSiteFields& site);
    void DeleteFolder(int node);
    void DeleteSites(std::vector<int> lines);

    // Copy takes a snapshot of the lines; Paste inserts the snapshot.
    void CopyFolder(int node);
    void CopySites(const std::vector<int>& lines);
    void ClearCopy();
    bool CanPaste() const { return FCopyKind != TCopy::None; }
    bool CopiedSites() const { return FCopyKind == TCopy::Sites; }
    int CopiedFolderLine() const { return FCopiedFolderLine; }
    // Pastes into the folder; an error message when refused. Returns in
    // pasted the lines of the pasted sites (for the list to select).
    std::string Paste(int node, std::vector<int>* pasted = nullptr);

    // Takes the entry lines of another site file into the folder (at the
    // end of its block; -1: at the end of the file). Returns the number of
    // lines taken.
    int Import(int node, std::string_view bytes);

private:
    struct TLineInfo {
        TLineKind Kind = TLineKind::Other;
        int Node = -1; // folder line: its node; site line: its folder
    };
    enum class TCopy : std::uint8_t { None, Folder, Sites };

    void Classify();
    void Notify(const std::vector<TFolderNode>& before, int changedFirst, int changedCount,
                int shift);
    std::vector<std::string> SiteAliases(int node) const;
    // Where sites of the folder go: after its last site, else after its line.
    int SiteInsertPoint(int node) const;

    std::vector<std::string> FLines;
    std::vector<TLineInfo> FInfo;
    std::vector<TFolderNode> FNodes;
    bool FEndsWithLineEnd = true;
    TSiteListObserver* FObserver = nullptr;

    TCopy FCopyKind = TCopy::None;
    std::vector<std::string> FCopied; // the snapshot
    int FCopiedDepth = 0;             // depth of the copied folder
    int FCopiedFolderLine = -1;       // its line, kept current; -1 once gone
};

} // namespace sitelist
