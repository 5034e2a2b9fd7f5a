#include "session/core/Navigation.h"

#include <mutex>

namespace session {

int StepPrevious(TActivationOrder& order) {
    if (order.size() < 2) return -1;
    const int target = order[1];
    const int first = order.front();
    order.erase(order.begin());
    order.push_back(first);
    return target;
}

int StepNext(TActivationOrder& order) {
    if (order.size() < 2) return -1;
    const int target = order.back();
    order.pop_back();
    order.insert(order.begin(), target);
    return target;
}

bool IsTalkScreen(TScreenBuffer& screen) {
    std::lock_guard<TRenderGuard> guard(screen.Rendering);
    if (screen.Rows() < 14 || screen.TopRow() + 14 > screen.RowCount()) return false;
    auto cell = [&](int row, int col) -> const TCell& { return screen.ScreenRow(row).Cells[col]; };
    const int b = cell(9, 1).Bg;
    if (cell(10, 1).Bg == b && cell(12, 1).Bg == b && cell(13, 1).Bg == b && cell(11, 1).Bg != b)
        return true;
    for (int r = 9; r <= 12; ++r) {
        const auto c1 = cell(r, 1).Char, c2 = cell(r, 2).Char;
        if ((c1 == '=' && c2 == '=') || (c1 == '-' && c2 == '-')) return true;
    }
    return false;
}

int FindTalkSession(int n, int current, int d, const std::function<bool(int)>& talks) {
    if (n <= 1) return -1;
    int i = current;
    for (int k = 0; k < n - 1; ++k) {
        i = ((n + i + d) % n + n) % n;
        if (talks(i)) return i;
    }
    return -1;
}

TNumberKey DecideNumberKey(char key, int currentNumber, const std::vector<int>& numbers,
                           const std::array<bool, 11>& used) {
    TNumberKey r;
    if (key < '0' || key > '9' || numbers.empty()) return r;
    r.Number = key == '0' ? 10 : key - '0';
    if (r.Number == currentNumber) return r;
    r.Act = true;
    if (used[r.Number])
        for (std::size_t j = 0; j < numbers.size(); ++j)
            if (numbers[j] == r.Number) {
                r.Holder = static_cast<int>(j);
                break;
            }
    return r;
}

TNumberBoxKey NumberBoxKeyDown(int vk) {
    if (vk == 27) return TNumberBoxKey::GiveBackFocus;
    if ((vk >= '0' && vk <= '9') || (vk >= 96 && vk <= 105)) return TNumberBoxKey::Digit;
    switch (vk) {
    case 0:  // no key of the PC keyboard
    case 9:  // Tab
    case 16: // Shift
    case 17: // Ctrl
    case 18: // Alt
    case 20: // Caps Lock
    case 91: // the Windows keys
    case 92:
    case 144: // Num Lock
    case 145: // Scroll Lock
        return TNumberBoxKey::LeaveAlone;
    default:
        return TNumberBoxKey::Refuse;
    }
}

std::string NumberText(int n) {
    if (n == 10) return "0";
    if (n >= 1 && n <= 9) return std::string(1, static_cast<char>('0' + n));
    return "";
}

} // namespace session
