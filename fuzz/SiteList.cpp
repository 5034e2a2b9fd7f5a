// Site-list file on arbitrary bytes, then edits driven by the same bytes: no
// crash, saving then reading back gives the same tree, and an unedited load
// saves every line it read.
#include "sitelist/core/SiteList.h"
#include "sitelist/core/SiteSearch.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using sitelist::TSiteList;

static void Check(bool ok) {
    if (!ok) std::abort();
}

static std::string Tree(const TSiteList& list) {
    std::string out;
    for (int n = 0; n < list.NodeCount(); ++n) {
        out += std::to_string(list.Node(n).Depth) + ":" + std::to_string(list.Node(n).Parent) +
               ":" + list.FolderName(n) + "\n";
        for (const auto& s : list.FillSiteList(n))
            out += " " + list.Line(s.Line) + "\n";
    }
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TSiteList list;
    list.Assign(bytes);
    TSiteList again;
    again.Assign(list.Text());
    Check(Tree(again) == Tree(list) && again.Text() == list.Text());
    sitelist::SearchSites(list, bytes.substr(0, 3));

    for (std::size_t i = 0; i < size && i < 64; ++i) {
        unsigned char b = data[i];
        int nodes = list.NodeCount();
        int node = nodes ? b % nodes : -1;
        switch ((b >> 4) % 9) {
        case 0:
            list.CreateFolder(b & 1 ? -1 : node);
            break;
        case 1:
            if (node >= 0) list.CreateSite(node);
            break;
        case 2:
            if (node >= 0) list.DeleteFolder(node);
            break;
        case 3:
            if (node >= 0) list.CopyFolder(node);
            break;
        case 4:
            if (node >= 0 && list.LineCount() < 4000) list.Paste(node);
            break;
        case 5:
            if (node >= 0) list.CopySites(list.SiteLines(node));
            break;
        case 6:
            if (node >= 0) list.DeleteSites(list.SiteLines(node));
            break;
        case 7:
            if (node >= 0) list.RenameFolder(node, bytes.substr(i, 4));
            break;
        case 8:
            if (list.LineCount() < 4000) list.Import(node, bytes.substr(i));
            break;
        }
        TSiteList back;
        back.Assign(list.Text());
        Check(Tree(back) == Tree(list));
    }
    return 0;
}
