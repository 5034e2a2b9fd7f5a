#include "platform/core/Registry.h"

#include "platform/core/Files.h"
#include "platform/core/TelnetHandler.h"

#include <algorithm>
#include <cctype>

namespace win {
namespace {

bool IsTelnetKey(HKEY root, const std::string& keyPath) {
    if (root != HKEY_CLASSES_ROOT) return false;
    std::string a = keyPath, b = TelnetOpenCommandKey;
    auto lower = [](std::string& s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    lower(a);
    lower(b);
    return a == b;
}

} // namespace

long GetRegistryDefaultValue(HKEY root, const std::string& keyPath, std::string& value) {
    value.clear();
    if (!IsTelnetKey(root, keyPath)) return ERROR_FILE_NOT_FOUND;
    TXdgFolders xdg = TXdgFolders::FromEnvironment();
    if (!TelnetHandlerSettingsExist(xdg)) return ERROR_FILE_NOT_FOUND;
    value = ReadTelnetHandlerCommand(xdg);
    return ERROR_SUCCESS;
}

bool SetRegistryDefaultValue(HKEY root, const std::string& keyPath, const std::string& value) {
    if (!IsTelnetKey(root, keyPath)) return false;
    try {
        WriteTelnetHandlerCommand(TXdgFolders::FromEnvironment(), value, "Brannoc Pro");
        return true;
    } catch (const EFileError&) {
        return false;
    }
}

} // namespace win
