// The papers and orientations by name, and how a sheet lies.
#include "export/Paper.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(PaperNames, NameTheirSheetsExactly) {
    const struct {
        const char* name;
        std::optional<double> width, height;
    } rows[] = {
        {"A4", 210, 297}, {"A3", 297, 420}, {"Letter", 215.9, 279.4}, {"a4", {}, {}},
        {"A4 ", {}, {}},  {"", {}, {}},     {"A5", {}, {}},           {"letter", {}, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::optional<kiv::Paper> p = kiv::PaperNamed(r.name);
        ASSERT_EQ(p.has_value(), r.width.has_value());
        if (p) {
            EXPECT_EQ(p->width, *r.width);
            EXPECT_EQ(p->height, *r.height);
        }
    }
    EXPECT_EQ(kiv::PaperNames(), "A4, A3, Letter");
    EXPECT_EQ(std::string(kiv::kPapers[0].name), "A4") << "the default paper";
    for (const auto& p : kiv::kPapers)
        EXPECT_LT(p.paper.width, p.paper.height) << p.name << " is listed as sold, portrait";
}

TEST(OrientationNames, NameTheirWaysExactly) {
    const struct {
        const char* name;
        std::optional<kiv::Orientation> orientation;
    } rows[] = {
        {"auto", kiv::Orientation::Automatic},
        {"portrait", kiv::Orientation::Portrait},
        {"landscape", kiv::Orientation::Landscape},
        {"Landscape", std::nullopt},
        {"sideways", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& r : rows)
        EXPECT_EQ(kiv::OrientationNamed(r.name), r.orientation) << r.name;
    EXPECT_EQ(kiv::OrientationNames(), "auto, portrait, landscape");
    EXPECT_EQ(std::string(kiv::kOrientations[0].name), "auto") << "the default orientation";
}

TEST(PaperLying, TurnsOnlyForLandscape) {
    const struct {
        const char* name;
        kiv::Paper given;
        bool landscape;
        kiv::Paper laid;
    } rows[] = {
        {"A4 portrait", kiv::kA4, false, {210, 297}},
        {"A4 landscape", kiv::kA4, true, {297, 210}},
        {"given turned, portrait", {297, 210}, false, {210, 297}},
        {"given turned, landscape", {420, 297}, true, {420, 297}},
        {"square", {300, 300}, true, {300, 300}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const kiv::Paper sold = kiv::AsSold(r.given.width, r.given.height);
        EXPECT_LE(sold.width, sold.height);
        const kiv::Paper laid = kiv::AsLaid(r.given, r.landscape);
        EXPECT_EQ(laid.width, r.laid.width);
        EXPECT_EQ(laid.height, r.laid.height);
    }
    EXPECT_STREQ(kiv::OrientationText(true), "альбомная");
    EXPECT_STREQ(kiv::OrientationText(false), "книжная");
}

} // namespace
