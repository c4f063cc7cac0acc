#include "tests/support/terminal_screen.hpp"

#include <cstdlib>

#include "platform/cp437.hpp"

namespace zizuvu::testing {
namespace {

int console_colour(int ansi) { return ((ansi & 1) << 2) | (ansi & 2) | ((ansi & 4) >> 2); }

std::vector<int> numbers_of(std::string_view parameters) {
    std::vector<int> numbers;
    int value = 0;
    bool any = false;
    for (char c : parameters) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            any = true;
        } else if (c == ';') {
            numbers.push_back(any ? value : 0);
            value = 0;
            any = false;
        }
    }
    numbers.push_back(any ? value : 0);
    return numbers;
}

}  // namespace

TerminalScreen::TerminalScreen(int rows, int columns)
    : rows_(rows), columns_(columns), cells_(static_cast<std::size_t>(rows * columns)), bottom_margin_(rows - 1) {}

const ShownCell& TerminalScreen::cell(int row, int column) const {
    return cells_[static_cast<std::size_t>((row - 1) * columns_ + (column - 1))];
}

std::string TerminalScreen::row_text(int row) const {
    std::string text;
    for (int c = 1; c <= columns_; ++c) text.push_back(static_cast<char>(cell(row, c).glyph));
    return text;
}

bool TerminalScreen::shows(std::string_view text) const {
    for (int r = 1; r <= rows_; ++r) {
        if (row_text(r).find(text) != std::string::npos) return true;
    }
    return false;
}

std::string TerminalScreen::dump() const {
    std::string out;
    for (int r = 1; r <= rows_; ++r) {
        std::string line = row_text(r);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += std::to_string(r) + ": " + line + "\n";
    }
    return out;
}

void TerminalScreen::erase_all() {
    for (ShownCell& c : cells_) c = ShownCell{' ', attribute_};
}

void TerminalScreen::scroll_margins(int lines) {
    const ShownCell blank{' ', attribute_};
    for (int step = 0; step < std::abs(lines); ++step) {
        const bool up = lines > 0;
        for (int r = up ? top_margin_ : bottom_margin_; up ? r < bottom_margin_ : r > top_margin_; r += up ? 1 : -1) {
            for (int c = 0; c < columns_; ++c) {
                cells_[static_cast<std::size_t>(r * columns_ + c)] = cells_[static_cast<std::size_t>((r + (up ? 1 : -1)) * columns_ + c)];
            }
        }
        const int freed = up ? bottom_margin_ : top_margin_;
        for (int c = 0; c < columns_; ++c) cells_[static_cast<std::size_t>(freed * columns_ + c)] = blank;
    }
}

void TerminalScreen::put_glyph(std::uint8_t glyph) {
    if (cursor_column_ >= columns_) {
        if (!auto_wrap_) {
            cursor_column_ = columns_ - 1;
        } else {
            cursor_column_ = 0;
            if (cursor_row_ < rows_ - 1) ++cursor_row_;
        }
    }
    cells_[static_cast<std::size_t>(cursor_row_ * columns_ + cursor_column_)] = ShownCell{glyph, attribute_};
    if (cursor_column_ < columns_ - 1 || auto_wrap_) {
        ++cursor_column_;
    }
}

void TerminalScreen::feed(std::string_view bytes) {
    for (char ch : bytes) {
        const auto byte = static_cast<std::uint8_t>(ch);
        switch (state_) {
            case State::ground:
                if (byte == 0x1B) {
                    state_ = State::escape;
                    sequence_.clear();
                } else if (byte == 0x07) {
                    ++bells_;
                } else if (byte < 0x20) {
                    ++foreign_;  // the renderer never sends control bytes but ESC and BEL
                    last_foreign_ = std::string(1, ch);
                } else if (byte < 0x80) {
                    put_glyph(byte);
                } else if (byte >= 0xC2 && byte <= 0xF4) {
                    state_ = State::utf8;
                    continuation_left_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
                    code_point_ = byte & (byte >= 0xF0 ? 0x07U : byte >= 0xE0 ? 0x0FU : 0x1FU);
                } else {
                    ++foreign_;
                }
                break;
            case State::utf8:
                code_point_ = (code_point_ << 6) | (byte & 0x3FU);
                if (--continuation_left_ == 0) {
                    state_ = State::ground;
                    const int glyph = cp437_from_unicode(code_point_);
                    if (glyph < 0) ++foreign_;
                    put_glyph(static_cast<std::uint8_t>(glyph < 0 ? '?' : glyph));
                }
                break;
            case State::escape:
                if (byte == '[') {
                    state_ = State::csi;
                } else if (byte == 'D' || byte == 'M') {
                    // Index and reverse index: scroll at the region's edge, else a row down or up.
                    const bool index = byte == 'D';
                    if (cursor_row_ == (index ? bottom_margin_ : top_margin_)) {
                        scroll_margins(index ? 1 : -1);
                    } else if (index ? cursor_row_ < rows_ - 1 : cursor_row_ > 0) {
                        cursor_row_ += index ? 1 : -1;
                    }
                    state_ = State::ground;
                } else {
                    ++foreign_;
                    last_foreign_ = std::string("\x1b") + ch;
                    state_ = State::ground;
                }
                break;
            case State::csi:
                if (byte >= 0x40 && byte <= 0x7E) {
                    control_sequence(sequence_, static_cast<char>(byte));
                    state_ = State::ground;
                } else {
                    sequence_.push_back(ch);
                }
                break;
        }
    }
}

void TerminalScreen::control_sequence(std::string_view parameters, char final_byte) {
    if (final_byte == 'H') {
        const std::vector<int> n = numbers_of(parameters);
        cursor_row_ = std::max(1, std::min(n[0] == 0 ? 1 : n[0], rows_)) - 1;
        const int column = n.size() > 1 && n[1] != 0 ? n[1] : 1;
        cursor_column_ = std::max(1, std::min(column, columns_)) - 1;
        return;
    }
    if (final_byte == 'm') {
        select_graphic_rendition(parameters);
        return;
    }
    if (final_byte == 'J' && parameters == "2") {
        erase_all();
        return;
    }
    if (final_byte == 'r' && (parameters.empty() || (parameters[0] >= '0' && parameters[0] <= '9'))) {
        const std::vector<int> n = numbers_of(parameters);
        const int top = n[0] == 0 ? 1 : n[0];
        const int bottom = n.size() > 1 && n[1] != 0 ? n[1] : rows_;
        if (top < bottom && bottom <= rows_) {
            top_margin_ = top - 1;
            bottom_margin_ = bottom - 1;
        }
        cursor_row_ = cursor_column_ = 0;
        return;
    }
    if (final_byte == 't') {
        size_requests_.emplace_back(parameters);
        return;
    }
    if ((final_byte == 'h' || final_byte == 'l') && !parameters.empty() && parameters[0] == '?') {
        const bool on = final_byte == 'h';
        const int mode = std::atoi(std::string(parameters.substr(1)).c_str());
        if (mode == 25) {
            cursor_visible_ = on;
            return;
        }
        if (mode == 1049) {
            alternate_ = on;
            return;
        }
        if (mode == 7) {
            auto_wrap_ = on;
            return;
        }
    }
    ++foreign_;
    last_foreign_ = "CSI " + std::string(parameters) + final_byte;
}

void TerminalScreen::select_graphic_rendition(std::string_view parameters) {
    for (int n : numbers_of(parameters)) {
        int foreground = attribute_ & 0x0F;
        int background = attribute_ >> 4;
        if (n == 0) {
            foreground = 7;
            background = 0;
        } else if (n >= 30 && n <= 37) {
            foreground = console_colour(n - 30);
        } else if (n >= 90 && n <= 97) {
            foreground = console_colour(n - 90) | 8;
        } else if (n >= 40 && n <= 47) {
            background = console_colour(n - 40);
        } else if (n >= 100 && n <= 107) {
            background = console_colour(n - 100) | 8;
        } else {
            ++foreign_;
            last_foreign_ = "SGR " + std::to_string(n);
        }
        attribute_ = static_cast<std::uint8_t>(background * 16 + foreground);
    }
}

}  // namespace zizuvu::testing
