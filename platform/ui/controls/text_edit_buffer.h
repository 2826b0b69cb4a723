#pragma once

// The text of an edit with its caret: UTF-8 text, the caret counted in code
// points, and the edits a keyboard makes. Lines are split by '\n'. No policy
// here (length limits, digits only): the edit control decides what to insert.

#include <cstddef>
#include <string>
#include <string_view>

namespace halvorn::ui {

class TextEditBuffer {
public:
    const std::string& Text() const { return text_; }
    // Replaces the text; the caret goes to its end.
    void SetText(std::string_view text);
    size_t Length() const { return length_; }  // code points
    size_t Caret() const { return caret_; }
    void SetCaret(size_t caret) { caret_ = caret > length_ ? length_ : caret; }

    // Each returns true when the text changed.
    bool Insert(std::string_view utf8);
    bool Backspace();
    bool Delete();

    // Caret moves; false when it did not move.
    bool Left();
    bool Right();
    bool Home();  // start of the caret's line
    bool End();   // end of the caret's line
    bool Up();    // same column of the previous line, or its end
    bool Down();

    // Line and column (code points) of the caret.
    size_t CaretLine() const;
    size_t CaretColumn() const;

private:
    size_t LineStart(size_t at) const;  // code point index of the line holding `at`
    size_t LineEnd(size_t at) const;

    std::string text_;
    size_t length_ = 0;
    size_t caret_ = 0;
};

}  // namespace halvorn::ui
