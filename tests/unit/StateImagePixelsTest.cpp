// The program draws its own state images; check what a user would see at 96 and 192 DPI.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "ui/StateImagePixels.h"

namespace {

struct TRgba {
    int R, G, B, A;
};

TRgba At(const std::vector<std::uint32_t>& px, int size, double x16, double y16) {
    const int x = static_cast<int>(x16 * size / 16), y = static_cast<int>(y16 * size / 16);
    std::uint32_t v = px.at(static_cast<size_t>(y * size + x));
    return {int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255), int(v >> 24)};
}

}  // namespace

TEST(StateImages, TickIsOpaqueBlackOnTransparency) {
    for (int size : {16, 32}) {
        auto px = StateImagePixels(0, size);
        ASSERT_EQ(px.size(), static_cast<size_t>(size * size));
        TRgba corner = At(px, size, 0.5, 0.5), stroke = At(px, size, 6.5, 11.3);
        EXPECT_EQ(corner.A, 0) << size;
        EXPECT_EQ(stroke.A, 255) << size;
        EXPECT_EQ(stroke.R + stroke.G + stroke.B, 0) << size;
    }
}

TEST(StateImages, DisabledImageIsARedDiscWithAWhiteCrossAndAGreyShadow) {
    for (int size : {16, 24}) {
        auto px = StateImagePixels(1, size);
        TRgba centre = At(px, size, 7.6, 7.6), red = At(px, size, 7.6, 2.2);
        TRgba outside = At(px, size, 0.3, 15.7);
        EXPECT_EQ(centre.A, 255);
        EXPECT_GT(centre.R, 240);
        EXPECT_GT(centre.G, 240);  // white
        EXPECT_GT(red.R, 200);
        EXPECT_LT(red.G, 30);
        // The shadow shows as opaque grey along the lower right edge of the disc only.
        int greyLowerRight = 0, greyUpperLeft = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                std::uint32_t v = px[static_cast<size_t>(y * size + x)];
                int r = v >> 16 & 255, g = v >> 8 & 255, b = v & 255, a = v >> 24;
                if (a > 128 && std::abs(r - g) < 12 && std::abs(g - b) < 12 && r * 255 < 190 * a) (x + y > size ? greyLowerRight : greyUpperLeft)++;
            }
        EXPECT_GE(greyLowerRight, size / 4);
        EXPECT_EQ(greyUpperLeft, 0);
        EXPECT_EQ(outside.A, 0);
    }
}

TEST(StateImages, ColoursArePremultiplied) {
    for (int image : {0, 1})
        for (std::uint32_t v : StateImagePixels(image, 20)) {
            const std::uint32_t a = v >> 24;
            ASSERT_LE(v >> 16 & 255, a);
            ASSERT_LE(v >> 8 & 255, a);
            ASSERT_LE(v & 255, a);
        }
}
