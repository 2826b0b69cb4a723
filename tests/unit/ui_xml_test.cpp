#include "platform/ui/xml.h"

#include <gtest/gtest.h>

#include <string>

namespace halvorn::ui {
namespace {

TEST(ParseXml, ReadsElementsAttributesTextAndLines) {
    const XmlParse parsed = ParseXml(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- the skin -->\n"
        "<Window size='800,572' caption=\"0,0,0,40\">\n"
        "  <Font id=\"0\" name=\"Verdana\"/>\n"
        "  <Text id='t'>a &lt;b&gt; &amp; &quot;c&quot; &apos;d&apos;<![CDATA[<raw> & ]]>e</Text>\n"
        "</Window>\n");
    ASSERT_TRUE(parsed.root) << parsed.error;
    EXPECT_TRUE(parsed.error.empty());
    const XmlElement& window = *parsed.root;
    EXPECT_EQ(window.name, "Window");
    EXPECT_EQ(window.line, 3);
    ASSERT_EQ(window.attributes.size(), 2u);
    EXPECT_EQ(window.attributes[0].first, "size");  // document order
    EXPECT_EQ(window.AttributeOr("size", ""), "800,572");
    EXPECT_EQ(window.AttributeOr("caption", ""), "0,0,0,40");
    EXPECT_EQ(window.Attribute("Size"), nullptr);  // names are exact
    EXPECT_EQ(window.AttributeOr("missing", "fallback"), "fallback");
    ASSERT_EQ(window.children.size(), 2u);
    EXPECT_EQ(window.children[0].name, "Font");
    EXPECT_EQ(window.children[0].line, 4);
    EXPECT_EQ(window.children[1].text, "a <b> & \"c\" 'd'<raw> & e");
    EXPECT_EQ(window.children[1].line, 5);
}

TEST(ParseXml, DecodesCharacterReferencesToUtf8) {
    struct Case {
        const char* reference;
        const char* utf8;
    };
    const Case cases[] = {
        {"&#65;", "A"},
        {"&#x41;", "A"},
        {"&#xe9;", "\xC3\xA9"},
        {"&#X20AC;", "\xE2\x82\xAC"},
        {"&#128512;", "\xF0\x9F\x98\x80"},
        {"&#x10FFFF;", "\xF4\x8F\xBF\xBF"},
    };
    for (const Case& c : cases) {
        const XmlParse parsed = ParseXml(std::string("<a v=\"") + c.reference + "\"/>");
        ASSERT_TRUE(parsed.root) << c.reference << ": " << parsed.error;
        EXPECT_EQ(parsed.root->AttributeOr("v", ""), c.utf8) << c.reference;
    }
}

TEST(ParseXml, RefusesMalformedDocumentsWithTheLineOfTheFault) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"", 1},                     // no root
        {"   \n  ", 2},              // only space
        {"<a>", 1},                  // unclosed
        {"<a>\n<b>\n</a>", 3},       // crossed end tag
        {"<a></b>", 1},              // wrong end tag
        {"<a b=1/>", 1},             // unquoted value
        {"<a b='1/>", 1},            // unterminated value
        {"<a b='1' b='2'/>", 1},     // duplicate attribute
        {"<a b='1'c='2'/>", 1},      // no space between attributes
        {"<a b='<'/>", 1},           // '<' in a value
        {"<a>&unknown;</a>", 1},     // unknown entity
        {"<a>&amp</a>", 1},          // unterminated reference
        {"<a>&#0;</a>", 1},          // NUL
        {"<a>&#xD800;</a>", 1},      // surrogate
        {"<a>&#x110000;</a>", 1},    // beyond Unicode
        {"<a>&#12a;</a>", 1},        // bad digits
        {"<a/><b/>", 1},             // two roots
        {"<a/>\ntext", 2},           // content after the root
        {"<a><!-- open</a>", 1},     // unterminated comment
        {"<a><![CDATA[x</a>", 1},    // unterminated CDATA
        {"<?xml version='1.0'", 1},  // unterminated declaration
        {"<1a/>", 1},                // bad name
        {"<a\n\nb='1'", 3},          // unterminated tag
        {"text<a/>", 1},             // text before the root
        {"<a><!ELEMENT x></a>", 1},  // markup declarations
    };
    for (const Case& c : cases) {
        const XmlParse parsed = ParseXml(c.text);
        EXPECT_FALSE(parsed.root) << c.text;
        EXPECT_FALSE(parsed.error.empty()) << c.text;
        EXPECT_EQ(parsed.line, c.line) << c.text << ": " << parsed.error;
        EXPECT_NE(parsed.error.find("line " + std::to_string(c.line)), std::string::npos)
            << parsed.error;
    }
}

TEST(ParseXml, BoundsNesting) {
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<a>";
        for (int i = 0; i < depth; ++i) text += "</a>";
        return text;
    };
    EXPECT_TRUE(ParseXml(nested(256)).root);
    const XmlParse deep = ParseXml(nested(257));
    EXPECT_FALSE(deep.root);
    EXPECT_NE(deep.error.find("nested too deeply"), std::string::npos) << deep.error;
    // Far deeper input ends just as well: no recursion to run out of.
    EXPECT_FALSE(ParseXml(nested(100000)).root);
}

TEST(ParseXml, NeverReadsPastTheInput) {
    // Each prefix of a document ends inside some construct; the view's
    // bytes beyond it hold what would complete it.
    const std::string full =
        "<?xml version='1.0'?><!DOCTYPE x><a b=\"&#x41;\"><![CDATA[c]]><!--d--><e/>&amp;</a>";
    for (size_t n = 0; n < full.size(); ++n) {
        const XmlParse parsed = ParseXml(std::string_view(full.data(), n));
        EXPECT_FALSE(parsed.root) << n;
    }
    const XmlParse parsed = ParseXml(full);
    ASSERT_TRUE(parsed.root) << parsed.error;
    EXPECT_EQ(parsed.root->text, "c&");
}

}  // namespace
}  // namespace halvorn::ui
