#include "platform/ui/xml.h"

#include <charconv>
#include <cstdint>

namespace halvorn::ui {

namespace {

// Deeper documents are refused: no skin needs it, and it bounds the work.
constexpr size_t kMaxDepth = 256;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || u >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    XmlParse Run() {
        XmlParse result;
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // UTF-8 byte-order mark
        if (ParseDocument(result)) return result;
        result.root.reset();
        result.error = "line " + std::to_string(errorLine_) + ": " + error_;
        result.line = errorLine_;
        return result;
    }

private:
    bool Fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
            errorLine_ = line_;
        }
        return false;
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    bool StartsWith(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    void Advance(size_t n = 1) {
        for (size_t i = 0; i < n && pos_ < text_.size(); ++i, ++pos_) {
            if (text_[pos_] == '\n') ++line_;
        }
    }
    void SkipSpace() {
        while (!AtEnd() && IsSpace(Peek())) Advance();
    }
    // Moves past `terminator`; false (nothing consumed beyond the input) when absent.
    bool SkipPast(std::string_view terminator, std::string_view what) {
        const size_t at = text_.find(terminator, pos_);
        if (at == std::string_view::npos) return Fail("unterminated " + std::string(what));
        Advance(at + terminator.size() - pos_);
        return true;
    }

    bool ParseName(std::string& name) {
        if (AtEnd() || !IsNameStart(Peek())) return Fail("expected a name");
        const size_t start = pos_;
        while (!AtEnd() && IsNameChar(Peek())) Advance();
        name.assign(text_.substr(start, pos_ - start));
        return true;
    }

    // At '&': appends the decoded entity or character reference.
    bool ParseReference(std::string& out) {
        const size_t semi = text_.find(';', pos_);
        if (semi == std::string_view::npos || semi - pos_ > 12) {
            return Fail("unterminated entity reference");
        }
        const std::string_view ref = text_.substr(pos_ + 1, semi - pos_ - 1);
        if (ref == "lt") {
            out += '<';
        } else if (ref == "gt") {
            out += '>';
        } else if (ref == "amp") {
            out += '&';
        } else if (ref == "quot") {
            out += '"';
        } else if (ref == "apos") {
            out += '\'';
        } else if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            uint32_t cp = 0;
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
                cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                return Fail("bad character reference &" + std::string(ref) + ";");
            }
            AppendUtf8(out, cp);
        } else {
            return Fail("unknown entity &" + std::string(ref) + ";");
        }
        Advance(semi + 1 - pos_);
        return true;
    }

    bool ParseAttributeValue(std::string& value) {
        const char quote = Peek();
        if (quote != '"' && quote != '\'') return Fail("expected a quoted attribute value");
        Advance();
        while (true) {
            if (AtEnd()) return Fail("unterminated attribute value");
            const char c = Peek();
            if (c == quote) {
                Advance();
                return true;
            }
            if (c == '<') return Fail("'<' in an attribute value");
            if (c == '&') {
                if (!ParseReference(value)) return false;
            } else {
                value += c;
                Advance();
            }
        }
    }

    // After '<': the name, attributes and '>' or '/>'.
    bool ParseStartTag(XmlElement& element, bool& selfClosed) {
        element.line = line_;
        if (!ParseName(element.name)) return false;
        while (true) {
            const bool spaced = !AtEnd() && IsSpace(Peek());
            SkipSpace();
            if (AtEnd()) return Fail("unterminated tag <" + element.name + ">");
            if (Peek() == '>') {
                Advance();
                selfClosed = false;
                return true;
            }
            if (StartsWith("/>")) {
                Advance(2);
                selfClosed = true;
                return true;
            }
            if (!spaced) return Fail("expected a space before an attribute");
            std::string key;
            if (!ParseName(key)) return false;
            SkipSpace();
            if (Peek() != '=') return Fail("expected '=' after attribute " + key);
            Advance();
            SkipSpace();
            std::string value;
            if (!ParseAttributeValue(value)) return false;
            for (const auto& [k, v] : element.attributes) {
                if (k == key) return Fail("duplicate attribute " + key);
            }
            element.attributes.emplace_back(std::move(key), std::move(value));
        }
    }

    // Comments, processing instructions and a DOCTYPE outside the root.
    bool SkipMisc(bool& skipped) {
        skipped = true;
        if (StartsWith("<!--")) return SkipPast("-->", "comment");
        if (StartsWith("<?")) return SkipPast("?>", "processing instruction");
        if (StartsWith("<!DOCTYPE")) {
            const size_t close = text_.find('>', pos_);
            const size_t open = text_.find('[', pos_);
            if (open != std::string_view::npos && open < close) {
                return SkipPast("]>", "DOCTYPE");  // an internal subset; its entities are unused
            }
            return SkipPast(">", "DOCTYPE");
        }
        skipped = false;
        return true;
    }

    bool ParseDocument(XmlParse& result) {
        bool rootSeen = false;
        while (true) {
            SkipSpace();
            if (AtEnd()) break;
            bool skipped = false;
            if (!SkipMisc(skipped)) return false;
            if (skipped) continue;
            if (Peek() != '<' || rootSeen) {
                return Fail(rootSeen ? "content after the root element" : "expected an element");
            }
            Advance();
            XmlElement root;
            if (!ParseElementTree(root)) return false;
            result.root = std::move(root);
            rootSeen = true;
        }
        if (!rootSeen) return Fail("no root element");
        return true;
    }

    // After the root's '<'. Iterative, so the depth bound is the only limit.
    bool ParseElementTree(XmlElement& root) {
        bool selfClosed = false;
        if (!ParseStartTag(root, selfClosed)) return false;
        if (selfClosed) return true;
        std::vector<XmlElement*> open{&root};
        while (!open.empty()) {
            XmlElement& current = *open.back();
            if (AtEnd()) return Fail("unclosed element <" + current.name + ">");
            const char c = Peek();
            if (c == '&') {
                if (!ParseReference(current.text)) return false;
            } else if (c != '<') {
                size_t end = text_.find_first_of("<&", pos_);
                if (end == std::string_view::npos) end = text_.size();
                current.text.append(text_.substr(pos_, end - pos_));
                Advance(end - pos_);
            } else if (StartsWith("<!--")) {
                if (!SkipPast("-->", "comment")) return false;
            } else if (StartsWith("<![CDATA[")) {
                Advance(9);
                const size_t end = text_.find("]]>", pos_);
                if (end == std::string_view::npos) return Fail("unterminated CDATA section");
                current.text.append(text_.substr(pos_, end - pos_));
                Advance(end + 3 - pos_);
            } else if (StartsWith("<?")) {
                if (!SkipPast("?>", "processing instruction")) return false;
            } else if (StartsWith("</")) {
                Advance(2);
                std::string name;
                if (!ParseName(name)) return false;
                SkipSpace();
                if (Peek() != '>') return Fail("expected '>' in </" + name + ">");
                Advance();
                if (name != current.name) {
                    return Fail("</" + name + "> closes <" + current.name + ">");
                }
                open.pop_back();
            } else if (StartsWith("<!")) {
                return Fail("unsupported markup declaration");
            } else {
                if (open.size() >= kMaxDepth) return Fail("elements nested too deeply");
                Advance();
                XmlElement child;
                if (!ParseStartTag(child, selfClosed)) return false;
                current.children.push_back(std::move(child));
                if (!selfClosed) open.push_back(&current.children.back());
            }
        }
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    std::string error_;
    int errorLine_ = 0;
};

}  // namespace

const std::string* XmlElement::Attribute(std::string_view key) const {
    for (const auto& [k, v] : attributes) {
        if (k == key) return &v;
    }
    return nullptr;
}

std::string XmlElement::AttributeOr(std::string_view key, std::string_view fallback) const {
    const std::string* value = Attribute(key);
    return value ? *value : std::string(fallback);
}

XmlParse ParseXml(std::string_view text) { return Parser(text).Run(); }

}  // namespace halvorn::ui
