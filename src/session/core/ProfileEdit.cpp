#include "session/core/ProfileEdit.h"

#include "platform/core/Files.h"

namespace session {

std::string QuoteProfileValue(std::string_view value) {
    auto special = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
    if (!value.empty() && (special(value.front()) || special(value.back()))) {
        std::string quoted(1, '"');
        quoted.append(value);
        quoted += '"';
        return quoted;
    }
    return std::string(value);
}

void SetProfileValue(win::TIniText& text, std::string_view section, std::string_view key,
                     std::string_view value) {
    text.Set(section, key, QuoteProfileValue(value));
}

win::TIniText ReadProfile(const std::string& path) {
    std::string bytes;
    try {
        win::ReadWholeFile(path, bytes);
    } catch (const win::EFileError&) {
        bytes.clear();
    }
    return win::TIniText(bytes);
}

win::TIniText ReadProfileForEdit(const std::string& path) {
    std::string bytes;
    win::ReadWholeFile(path, bytes);
    return win::TIniText(bytes);
}

void WritePrivateFile(const std::string& path, std::string_view bytes) {
    win::WriteFileAtomic(path, bytes, {win::TFileAccess::Private});
}

void WriteProfile(const std::string& path, const win::TIniText& text) {
    win::WriteFileAtomic(path, text.Text(), {win::TFileAccess::KeepOrPrivate});
}

} // namespace session
