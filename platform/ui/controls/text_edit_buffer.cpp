#include "platform/ui/controls/text_edit_buffer.h"

#include "platform/ui/controls/paint_util.h"

namespace halvorn::ui {

void TextEditBuffer::SetText(std::string_view text) {
    text_ = std::string(text);
    length_ = Utf8Length(text_);
    caret_ = length_;
}

bool TextEditBuffer::Insert(std::string_view utf8) {
    if (utf8.empty()) return false;
    text_.insert(Utf8Offset(text_, caret_), utf8);
    size_t added = Utf8Length(utf8);
    length_ += added;
    caret_ += added;
    return true;
}

bool TextEditBuffer::Backspace() {
    if (caret_ == 0) return false;
    size_t from = Utf8Offset(text_, caret_ - 1);
    size_t to = Utf8Offset(text_, caret_);
    text_.erase(from, to - from);
    --length_;
    --caret_;
    return true;
}

bool TextEditBuffer::Delete() {
    if (caret_ >= length_) return false;
    size_t from = Utf8Offset(text_, caret_);
    size_t to = Utf8Offset(text_, caret_ + 1);
    text_.erase(from, to - from);
    --length_;
    return true;
}

bool TextEditBuffer::Left() {
    if (caret_ == 0) return false;
    --caret_;
    return true;
}

bool TextEditBuffer::Right() {
    if (caret_ >= length_) return false;
    ++caret_;
    return true;
}

size_t TextEditBuffer::LineStart(size_t at) const {
    std::string_view text(text_);
    size_t byte = Utf8Offset(text, at);
    size_t newline = byte == 0 ? std::string_view::npos : text.rfind('\n', byte - 1);
    size_t startByte = newline == std::string_view::npos ? 0 : newline + 1;
    return at - Utf8Length(text.substr(startByte, byte - startByte));
}

size_t TextEditBuffer::LineEnd(size_t at) const {
    std::string_view text(text_);
    size_t byte = Utf8Offset(text, at);
    size_t newline = text.find('\n', byte);
    size_t endByte = newline == std::string_view::npos ? text.size() : newline;
    return at + Utf8Length(text.substr(byte, endByte - byte));
}

bool TextEditBuffer::Home() {
    size_t start = LineStart(caret_);
    if (start == caret_) return false;
    caret_ = start;
    return true;
}

bool TextEditBuffer::End() {
    size_t end = LineEnd(caret_);
    if (end == caret_) return false;
    caret_ = end;
    return true;
}

bool TextEditBuffer::Up() {
    size_t start = LineStart(caret_);
    if (start == 0) return false;
    size_t column = caret_ - start;
    size_t prevStart = LineStart(start - 1);
    size_t prevLength = start - 1 - prevStart;
    caret_ = prevStart + (column < prevLength ? column : prevLength);
    return true;
}

bool TextEditBuffer::Down() {
    size_t end = LineEnd(caret_);
    if (end >= length_) return false;
    size_t column = caret_ - LineStart(caret_);
    size_t nextStart = end + 1;
    size_t nextLength = LineEnd(nextStart) - nextStart;
    caret_ = nextStart + (column < nextLength ? column : nextLength);
    return true;
}

size_t TextEditBuffer::CaretLine() const {
    size_t line = 0;
    size_t end = Utf8Offset(text_, caret_);
    for (size_t i = 0; i < end; ++i) {
        if (text_[i] == '\n') ++line;
    }
    return line;
}

size_t TextEditBuffer::CaretColumn() const { return caret_ - LineStart(caret_); }

}  // namespace halvorn::ui
