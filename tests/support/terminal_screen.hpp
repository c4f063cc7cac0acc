#pragma once
// What an operator's terminal shows, rebuilt from the bytes the program wrote to it:
// a small terminal emulator for the sequences the program's renderer uses (cursor
// position, SGR colours, cursor visibility, alternate screen, erase, auto-wrap, size
// request, bell, scroll region with index and reverse index) and UTF-8 glyphs read back as code-page bytes. Any other sequence
// is counted as foreign, so a test can show that nothing else reached the terminal.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zizuvu::testing {

struct ShownCell {
    std::uint8_t glyph = ' ';
    std::uint8_t attribute = 0x07;  // background * 16 + foreground, console numbering
};

class TerminalScreen {
public:
    explicit TerminalScreen(int rows = 51, int columns = 80);

    void feed(std::string_view bytes);

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    const ShownCell& cell(int row, int column) const;  // 1-based
    std::string row_text(int row) const;               // glyph bytes of a row
    bool shows(std::string_view text) const;
    int cursor_row() const { return cursor_row_ + 1; }
    int cursor_column() const { return cursor_column_ + 1; }
    bool cursor_visible() const { return cursor_visible_; }
    bool alternate_screen() const { return alternate_; }
    bool auto_wrap() const { return auto_wrap_; }
    int bells() const { return bells_; }
    int foreign_sequences() const { return foreign_; }
    const std::string& last_foreign() const { return last_foreign_; }
    const std::vector<std::string>& size_requests() const { return size_requests_; }
    std::string dump() const;

private:
    void put_glyph(std::uint8_t glyph);
    void control_sequence(std::string_view parameters, char final_byte);
    void select_graphic_rendition(std::string_view parameters);
    void erase_all();
    void scroll_margins(int lines);  // lines above 0 move the region's rows up

    int rows_;
    int columns_;
    std::vector<ShownCell> cells_;
    int cursor_row_ = 0;
    int cursor_column_ = 0;
    bool cursor_visible_ = true;
    bool alternate_ = false;
    bool auto_wrap_ = true;
    std::uint8_t attribute_ = 0x07;
    int top_margin_ = 0;
    int bottom_margin_;
    int bells_ = 0;
    int foreign_ = 0;
    std::string last_foreign_;
    std::vector<std::string> size_requests_;
    // Parser state
    enum class State { ground, escape, csi, utf8 } state_ = State::ground;
    std::string sequence_;
    char32_t code_point_ = 0;
    int continuation_left_ = 0;
};

}  // namespace zizuvu::testing
