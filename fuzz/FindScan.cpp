// The find scanner over arbitrary rows, geometry and stored positions: no
// read outside the rows, and every hit it selects really matches.
#include "session/core/FindText.h"

#include "platform/core/Big5.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class TFuzzRows : public findtext::TFindRows {
public:
    std::vector<std::array<unsigned char, 80>> List;
    int Cols = 80, RowsN = 1, View = 0;
    bool Sel = false;
    int L = 0, T = 0, R = 0;

    int Columns() const override { return Cols; }
    int Rows() const override { return RowsN; }
    int TopRow() const override { return static_cast<int>(List.size()) - RowsN; }
    int ViewRow() const override { return View; }
    int RowCount() const override { return static_cast<int>(List.size()); }
    void ReadRow(int y, unsigned char* bytes) const override {
        if (y < 0 || y >= RowCount()) std::abort();
        std::memcpy(bytes, List[static_cast<std::size_t>(y)].data(), 80);
    }
    bool HasSelection() const override { return Sel; }
    int SelLeft() const override { return L; }
    int SelTop() const override { return T; }
    int SelRight() const override { return R; }
    void SetViewRow(int row) override {
        if (row < 0) row = 0;
        if (row > TopRow()) row = TopRow();
        View = row;
    }
    void SetSelection(int l, int t, int r, int) override {
        Sel = true;
        L = l, T = t, R = r;
    }
    void ClearSelection() override { Sel = false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    TFuzzRows rows;
    rows.Cols = 1 + data[0] % 80;
    rows.RowsN = 1 + data[1] % 8;
    const std::size_t patLen = 1 + data[2] % 6;
    const bool caseSensitive = data[3] & 1;
    const int dirs = data[4];
    findtext::TFindState st;
    st.LastDirection = static_cast<std::int8_t>(data[5]);
    st.FindX = static_cast<std::int8_t>(data[6]) * 3;
    st.FindY = static_cast<std::int8_t>(data[7]) * 5;
    data += 8;
    size -= 8;
    if (size < patLen) return 0;
    const std::string pattern(reinterpret_cast<const char*>(data), patLen);
    data += patLen;
    size -= patLen;
    // Rows from the rest, 80 bytes each (the last one padded with blanks).
    std::size_t count = size / 80 + 1;
    if (count < static_cast<std::size_t>(rows.RowsN)) count = static_cast<std::size_t>(rows.RowsN);
    rows.List.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t c = 0; c < 80; ++c) {
            const std::size_t at = i * 80 + c;
            rows.List[i][c] = at < size ? data[at] : ' ';
        }
    rows.View = rows.TopRow();
    const std::string folded = findtext::FoldPattern(pattern, caseSensitive);
    for (int step = 0; step < 16; ++step) {
        const int dir = (dirs >> (step % 8)) & 1;
        if (!st.Step(rows, pattern, dir, caseSensitive)) continue;
        // The selected cells hold the text.
        const int listRow = rows.T + rows.View;
        if (rows.T < 0 || rows.T >= rows.RowsN || listRow >= rows.RowCount()) std::abort();
        const auto& row = rows.List[static_cast<std::size_t>(listRow)];
        win::TBig5Part parts[80];
        win::PairBig5Row(row.data(), 80, parts);
        if (!findtext::MatchAt(row.data(), parts, rows.L, folded, caseSensitive)) std::abort();
        if (rows.R - rows.L + 1 != static_cast<int>(patLen)) std::abort();
    }
    return 0;
}
