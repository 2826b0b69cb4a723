#include "platform/ui/image_string.h"

#include <gtest/gtest.h>

namespace halvorn::ui {
namespace {

ImageSpec File(const char* name) {
    ImageSpec image;
    image.file = name;
    return image;
}

TEST(ParseImageString, ReadsEveryKey) {
    struct Case {
        const char* text;
        ImageSpec expected;
    };
    ImageSpec all = File("common\\btn.png");
    all.dest = Rect{1, 2, 30, 40};
    all.source = Rect{0, 0, 16, 16};
    all.corner = Rect{4, 4, 4, 4};
    all.mask = 0xFFFF00FF;
    all.fade = 128;
    all.hole = true;
    all.xtiled = true;
    all.ytiled = true;
    all.hsl = true;
    all.tint = 0x80112233;
    all.tintOpacity = 200;
    all.lit = true;
    ImageSpec quoted = File("a b.png");
    quoted.fade = 0;
    ImageSpec fromRes = File("img/x.png");
    ImageSpec clamped = File("c.png");
    clamped.fade = 255;
    clamped.tintOpacity = 0;
    ImageSpec masked = File("m.png");
    masked.mask = 0xFF00FF00;
    const Case cases[] = {
        {"btn.png", File("btn.png")},
        {"  skin/btn normal.png  ", File("skin/btn normal.png")},  // a bare name may hold spaces
        {"file='common\\btn.png' dest='1,2,30,40' source='0,0,16,16' corner='4,4,4,4' "
         "mask='#FFFF00FF' fade='128' hole='true' xtiled='true' ytiled='true' hsl='true' "
         "tint='#80112233' opacity='200' lit='true'",
         all},
        {"file=\"a b.png\" fade=\"0\"", quoted},
        {"res='img/x.png' restype='png'", fromRes},
        {"file='c.png' fade='999' opacity='-5'", clamped},
        {"file='m.png' mask='0xFF00FF00' unknown='1'", masked},
        {"file='m.png' mask='0xFF00FF00' dest='1,2", masked},  // malformed tail: the rest kept
    };
    for (const Case& c : cases) {
        const std::optional<ImageSpec> image = ParseImageString(c.text);
        ASSERT_TRUE(image) << c.text;
        EXPECT_EQ(*image, c.expected) << c.text;
    }
}

TEST(ParseImageString, NamesNoFile) {
    for (const char* text : {"", "   ", "file=''", "dest='0,0,1,1'", "file='  ' fade='3'"}) {
        EXPECT_FALSE(ParseImageString(text)) << text;
    }
}

TEST(ImageDestination, PlacesDestInsideTheControlAtTheScale) {
    const Rect control{100, 50, 200, 90};
    EXPECT_EQ(ImageDestination(File("a.png"), control, 1.5), control);
    ImageSpec image = File("a.png");
    image.dest = Rect{10, 4, 30, 20};
    EXPECT_EQ(ImageDestination(image, control, 1.0), (Rect{110, 54, 130, 70}));
    EXPECT_EQ(ImageDestination(image, control, 1.5), (Rect{115, 56, 145, 80}));
    image.dest = Rect{90, 30, 150, 60};  // beyond the control: cut to it
    EXPECT_EQ(ImageDestination(image, control, 1.0), (Rect{190, 80, 200, 90}));
}

}  // namespace
}  // namespace halvorn::ui
