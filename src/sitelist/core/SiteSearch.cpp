#include "sitelist/core/SiteSearch.h"

#include "platform/core/Big5.h"

namespace sitelist {

namespace {

// Starts of characters, plus the end of the text.
std::vector<bool> CharStarts(std::string_view text) {
    std::vector<bool> starts(text.size() + 1, false);
    for (std::size_t i = 0; i < text.size();) {
        starts[i] = true;
        bool pair = win::IsBig5Lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += pair ? 2 : 1;
    }
    starts[text.size()] = true;
    return starts;
}

} // namespace

bool ContainsAtCharBoundary(std::string_view text, std::string_view keyword) {
    if (keyword.empty()) return true;
    std::size_t pos = text.find(keyword);
    if (pos == std::string_view::npos) return false;
    std::vector<bool> starts = CharStarts(text);
    for (; pos != std::string_view::npos; pos = text.find(keyword, pos + 1))
        if (starts[pos] && starts[pos + keyword.size()]) return true;
    return false;
}

std::vector<TSearchHit> SearchSites(const TSiteList& list, std::string_view keyword) {
    std::vector<TSearchHit> hits;
    std::vector<std::string> folders;
    for (int i = 0; i < list.LineCount(); ++i) {
        if (list.Kind(i) == TLineKind::Folder) {
            const TFolderNode& node = list.Node(list.NodeOfLine(i));
            folders.resize(static_cast<std::size_t>(node.Depth));
            folders.push_back(FolderLineName(list.Line(i)));
        } else if (list.Kind(i) == TLineKind::Site) {
            // A site after a subfolder's block belongs to the folder around it.
            folders.resize(static_cast<std::size_t>(list.Node(list.OwnerOfSite(i)).Depth) + 1);
            if (!ContainsAtCharBoundary(list.Line(i), keyword)) continue;
            TSearchHit hit;
            hit.Line = i;
            hit.Fields = ParseSiteLine(list.Line(i));
            for (std::size_t f = 0; f < folders.size(); ++f)
                hit.FolderPath += (f ? "/" : "") + folders[f];
            hits.push_back(std::move(hit));
        }
    }
    return hits;
}

} // namespace sitelist
