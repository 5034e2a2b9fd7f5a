// The picture cache: sessions that show the same background picture file
// share one loaded picture. An entry is keyed by its file name (compared
// exactly, letter case included), remembers which sessions use it and goes
// away with its last user.
//
// The cache is a template over the picture type so the main window can keep
// its Qt pictures in it while the rules stay testable without Qt. The
// loader fills a picture from a file; a failure leaves it empty.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace session {

// What the cache needs of a picture: a way to create an empty one, to ask
// whether it is empty, and to load it from a file (errors are swallowed).
template <class TPicture> struct TPictureOps {
    std::function<std::unique_ptr<TPicture>()> Create;
    std::function<bool(const TPicture&)> Empty;
    std::function<void(TPicture&, const std::string& fileName)> Load;
};

template <class TPicture, class TUser> class TGlyphCache {
public:
    struct TGlyph {
        std::unique_ptr<TPicture> Picture;
        std::string FileName;
        std::vector<TUser*> Users;
    };

    using TOps = TPictureOps<TPicture>;

    explicit TGlyphCache(TPictureOps<TPicture> ops) : FOps(std::move(ops)) {}

    // Picture for a new user; an empty name gives none and registers nothing.
    TPicture* Acquire(TUser* user, const std::string& fileName, bool load) {
        if (fileName.empty()) return nullptr;
        TGlyph* g = Find(fileName);
        if (g) {
            if (load && FOps.Empty(*g->Picture)) FOps.Load(*g->Picture, fileName);
            g->Users.push_back(user);
            return g->Picture.get();
        }
        return Append(user, fileName, load)->Picture.get();
    }

    // The user no longer shows its picture; the entry goes with its last user.
    void Release(TUser* user) {
        for (auto it = FGlyphs.begin(); it != FGlyphs.end(); ++it) {
            auto& users = (*it)->Users;
            auto u = std::find(users.begin(), users.end(), user);
            if (u == users.end()) continue;
            users.erase(u);
            if (users.empty()) FGlyphs.erase(it);
            return;
        }
    }

    // The user changes to another picture file (an empty name is a name like
    // any other here, but is never loaded).
    TPicture* Assign(TUser* user, const std::string& fileName, bool load) {
        TGlyph* g = Find(fileName);
        if (!g) {
            Release(user);
            return Append(user, fileName, load && !fileName.empty())->Picture.get();
        }
        if (std::find(g->Users.begin(), g->Users.end(), user) == g->Users.end()) {
            // Releasing first may not free g: g has users that are not this one.
            Release(user);
            g->Users.push_back(user);
        }
        if (load && !fileName.empty() && FOps.Empty(*g->Picture)) FOps.Load(*g->Picture, fileName);
        return g->Picture.get();
    }

    // The entry the user is registered with (first in list order), or null.
    const TGlyph* EntryOf(const TUser* user) const {
        for (const auto& g : FGlyphs)
            if (std::find(g->Users.begin(), g->Users.end(), user) != g->Users.end()) return g.get();
        return nullptr;
    }
    const TGlyph* Entry(const std::string& fileName) const {
        return const_cast<TGlyphCache*>(this)->Find(fileName);
    }
    std::size_t Count() const { return FGlyphs.size(); }
    void clear() { FGlyphs.clear(); }

private:
    TGlyph* Find(const std::string& fileName) {
        for (auto& g : FGlyphs)
            if (g->FileName == fileName) return g.get();
        return nullptr;
    }
    TGlyph* Append(TUser* user, const std::string& fileName, bool load) {
        auto g = std::make_unique<TGlyph>();
        g->Picture = FOps.Create();
        g->FileName = fileName;
        if (load) FOps.Load(*g->Picture, fileName);
        g->Users.push_back(user);
        FGlyphs.push_back(std::move(g));
        return FGlyphs.back().get();
    }

    TPictureOps<TPicture> FOps;
    std::vector<std::unique_ptr<TGlyph>> FGlyphs;
};

} // namespace session
