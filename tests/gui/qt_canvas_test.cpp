#include "platform/ui/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/ui/ui_context.h"
#include "tests/gui/gui_support.h"
#include "tests/support/profile_test_files.h"

namespace halvorn::ui {
namespace {

using gui_test::App;

constexpr QRgb kNone = 0x00000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kMagenta = 0xFFFF00FF;

ImageSpec Image(std::string file) {
    ImageSpec image;
    image.file = std::move(file);
    return image;
}

// Paints on a transparent 60 x 60 image with a skin folder of small images.
class QtCanvasTest : public ::testing::Test {
protected:
    QtCanvasTest() : target_(60, 60, QImage::Format_ARGB32) {
        App();
        target_.fill(Qt::transparent);
        context_.SetSkinFolder(skin_.Path());
        painter_ = std::make_unique<QPainter>(&target_);
        canvas_ = std::make_unique<QtCanvas>(*painter_, images_, context_, 1.0);
    }

    // Ends painting and gives the pixel.
    QRgb At(int x, int y) {
        if (painter_->isActive()) painter_->end();
        return target_.pixel(x, y);
    }

    // A w x h image whose pixels `colour(x, y)` gives, saved in the skin folder.
    template <typename F>
    void MakeImage(const std::string& name, int w, int h, F colour) {
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) image.setPixel(x, y, colour(x, y));
        }
        ASSERT_TRUE(image.save(QString::fromStdString((skin_ / name).string())));
    }

    test::TempDir skin_;
    UiContext context_;
    QtImageCache images_;
    QImage target_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtCanvas> canvas_;
};

TEST_F(QtCanvasTest, FillsInArgbAndTreatsAlphaZeroAsNone) {
    canvas_->FillRect({0, 0, 10, 10}, 0xFF336699);
    canvas_->FillRect({20, 0, 30, 10}, 0x00FFFFFF);
    canvas_->FillGradient({0, 20, 10, 40}, kRed, kBlue);
    EXPECT_EQ(At(5, 5), 0xFF336699u);
    EXPECT_EQ(At(25, 5), kNone);
    EXPECT_GT(qRed(At(5, 20)), 240) << "a gradient starts at its top colour";
    EXPECT_LT(qBlue(At(5, 20)), 15);
    EXPECT_GT(qBlue(At(5, 39)), 200);
    EXPECT_LT(qRed(At(5, 39)), 50);
}

TEST_F(QtCanvasTest, ABorderStaysInsideItsRectangle) {
    canvas_->DrawBorder({10, 10, 30, 30}, 2, kRed, {});
    EXPECT_EQ(At(10, 10), kRed);
    EXPECT_EQ(At(11, 20), kRed);
    EXPECT_EQ(At(29, 29), kRed);
    EXPECT_EQ(At(9, 9), kNone);
    EXPECT_EQ(At(30, 30), kNone);
    EXPECT_EQ(At(20, 20), kNone);
}

TEST_F(QtCanvasTest, ASourceRectangleShowsThatPartOfTheImage) {
    // Quadrants: red, blue / green, white.
    MakeImage("quads.png", 4, 4, [](int x, int y) {
        return y < 2 ? (x < 2 ? kRed : kBlue) : (x < 2 ? kGreen : kWhite);
    });
    ImageSpec image = Image("quads.png");
    image.source = Rect{2, 0, 4, 2};
    ASSERT_TRUE(canvas_->DrawImage({0, 0, 20, 20}, image));
    EXPECT_EQ(At(0, 0), kBlue);
    EXPECT_EQ(At(19, 19), kBlue);
    EXPECT_EQ(At(20, 20), kNone);
}

TEST_F(QtCanvasTest, NinePatchCornersKeepTheirSizeAndAHoleLeavesTheMiddle) {
    // 9 x 9: 3-pixel red corners, green edges, a blue middle.
    MakeImage("frame.png", 9, 9, [](int x, int y) {
        const bool edgeX = x < 3 || x >= 6, edgeY = y < 3 || y >= 6;
        return edgeX && edgeY ? kRed : edgeX || edgeY ? kGreen : kBlue;
    });
    ImageSpec image = Image("frame.png");
    image.corner = Rect{3, 3, 3, 3};
    ASSERT_TRUE(canvas_->DrawImage({0, 0, 60, 30}, image));
    image.hole = true;
    ASSERT_TRUE(canvas_->DrawImage({0, 30, 60, 60}, image));
    EXPECT_EQ(At(2, 2), kRed);
    EXPECT_EQ(At(57, 27), kRed);
    EXPECT_EQ(At(30, 1), kGreen) << "the top edge stretches along";
    EXPECT_EQ(At(1, 15), kGreen);
    EXPECT_EQ(At(4, 4), kBlue) << "the corner did not grow";
    EXPECT_EQ(At(30, 15), kBlue);
    EXPECT_EQ(At(1, 31), kRed);
    EXPECT_EQ(At(30, 45), kNone) << "the hole";
}

TEST_F(QtCanvasTest, MaskFadeAndTintChangeWhatIsShown) {
    MakeImage("masked.png", 2, 1, [](int x, int) { return x == 0 ? kMagenta : kWhite; });
    ImageSpec masked = Image("masked.png");
    masked.mask = 0xFFFF00FF;
    ASSERT_TRUE(canvas_->DrawImage({0, 0, 20, 10}, masked));

    MakeImage("white.png", 1, 1, [](int, int) { return kWhite; });
    ImageSpec faded = Image("white.png");
    faded.fade = 128;
    ASSERT_TRUE(canvas_->DrawImage({0, 20, 10, 30}, faded));
    ImageSpec tinted = masked;
    tinted.tint = 0xFF00FF00;
    tinted.tintOpacity = 255;
    tinted.lit = true;
    ASSERT_TRUE(canvas_->DrawImage({0, 40, 20, 50}, tinted));

    EXPECT_EQ(At(2, 5), kNone) << "the mask colour is transparent";
    EXPECT_EQ(At(15, 5), kWhite);
    EXPECT_NEAR(qAlpha(At(5, 25)), 128, 2);
    EXPECT_EQ(At(15, 45), kGreen) << "the shape in the tint colour";
    EXPECT_EQ(At(2, 45), kNone) << "the tint keeps the shape";
}

TEST_F(QtCanvasTest, TilingRepeatsTheImageInsteadOfStretchingIt) {
    MakeImage("stripe.png", 2, 1, [](int x, int) { return x == 0 ? kRed : kBlue; });
    ImageSpec tiled = Image("stripe.png");
    tiled.xtiled = true;
    ASSERT_TRUE(canvas_->DrawImage({0, 0, 10, 4}, tiled));
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(1, 3), kBlue);
    EXPECT_EQ(At(8, 0), kRed);
    EXPECT_EQ(At(9, 2), kBlue);
    EXPECT_EQ(At(10, 0), kNone);
}

TEST_F(QtCanvasTest, AnImageThatCannotBeLoadedDrawsNothing) {
    EXPECT_FALSE(canvas_->DrawImage({0, 0, 60, 60}, Image("common\\none.png")));
    test::WriteText(skin_ / "broken.png", "not a picture");
    EXPECT_FALSE(canvas_->DrawImage({0, 0, 60, 60}, Image("broken.png")));
    EXPECT_EQ(At(30, 30), kNone);
}

TEST_F(QtCanvasTest, ClipsNestAndEndWithTheirPop) {
    canvas_->PushClip({0, 0, 30, 30});
    canvas_->PushClip({20, 20, 50, 50});
    canvas_->FillRect({0, 0, 60, 60}, kRed);
    canvas_->PopClip();
    canvas_->FillRect({0, 0, 60, 10}, kBlue);
    canvas_->PopClip();
    canvas_->PopClip();  // one too many changes nothing
    canvas_->FillRect({0, 50, 60, 60}, kGreen);
    EXPECT_EQ(At(25, 25), kRed);
    EXPECT_EQ(At(35, 35), kNone) << "outside the outer clip";
    EXPECT_EQ(At(10, 25), kNone) << "outside the inner clip";
    EXPECT_EQ(At(5, 5), kBlue);
    EXPECT_EQ(At(40, 5), kNone);
    EXPECT_EQ(At(40, 55), kGreen);
}

TEST_F(QtCanvasTest, TextIsDrawnInsideItsRectangleInItsColour) {
    FontSpec font;
    font.face = "DejaVu Sans";
    font.size = 14;
    const Size one = canvas_->MeasureText("W", font);
    const Size three = canvas_->MeasureText("WWW", font);
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(three.cx, 2 * one.cx);
    EXPECT_GE(one.cy, 14);
    canvas_->DrawText({0, 0, 60, 20}, "WWW", font, kRed,
                      text_align::kCenter | text_align::kVCenter | text_align::kSingleLine);
    painter_->end();
    int inside = 0, outside = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            if (qAlpha(target_.pixel(x, y)) == 0) continue;
            (y < 20 ? inside : outside) += 1;
            if (qAlpha(target_.pixel(x, y)) == 255) {
                EXPECT_EQ(target_.pixel(x, y), kRed);
            }
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
}

TEST(QtAlignment, MapsTheSkinsFlagsToQts) {
    struct Case {
        unsigned skin;
        int qt;
    };
    const Case cases[] = {
        {text_align::kLeft | text_align::kTop | text_align::kWordBreak,
         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap},
        {text_align::kCenter | text_align::kVCenter | text_align::kSingleLine,
         Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine},
        {text_align::kRight | text_align::kBottom | text_align::kSingleLine,
         Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine},
    };
    for (const Case& c : cases) EXPECT_EQ(ToQtAlignment(c.skin), c.qt) << c.skin;
}

}  // namespace
}  // namespace halvorn::ui
