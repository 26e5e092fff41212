#include "core/formats/fits_cube.h"

#include "core/formats/fits_test_files.h"
#include "core/formats/fits_writer.h"
#include "core/image/frame_series.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orv;
using namespace orv::test;

namespace {

int16_t Stored(const TImageDocument& doc, size_t k) {
    int16_t v;
    std::memcpy(&v, doc.PixelStore.data() + 2 * k, 2);
    return v;
}

} // namespace

TEST(FitsCube, EachPlaneIsAFrameReadFromTheFile) {
    // Planes of 2 x 2 values: plane p holds 10p + 1 .. 10p + 4.
    const auto planes = [](int n) {
        std::vector<uint64_t> v;
        for (int p = 0; p < n; ++p)
            for (int i = 1; i <= 4; ++i)
                v.push_back(uint64_t(10 * p + i));
        return v;
    };
    // A primary cube of 2 x 2 planes (NAXIS4 = 1 when NAXIS is 4), holding `held` of them.
    const auto cube = [&](int naxis, int naxis3, const std::string& ctype3, int held) {
        TFitsBuilder f;
        f.Image(16, 2, 2).Value("NAXIS", std::to_string(naxis)).Value("NAXIS3", std::to_string(naxis3));
        if (naxis == 4) f.Value("NAXIS4", "1");
        if (!ctype3.empty()) f.Str("CTYPE3", ctype3);
        f.End().Blanks().BigEndian(planes(held), 2);
        if (held == naxis3) f.Zeros();
        return f;
    };
    struct Case {
        const char* what;
        TFitsBuilder file;
        uint32_t frames; // 0: not a series
        int16_t lastPlaneFirst;
    } cases[] = {
        {"NAXIS3 4", cube(3, 4, "", 4), 4, 31},
        {"NAXIS 4 with NAXIS4 1", cube(4, 2, "", 2), 2, 11},
        {"three planes of time", cube(3, 3, "TIME", 3), 3, 21},
        {"a short last plane reads zeros", cube(3, 3, "TIME", 2), 3, 0},
        {"three planes without CTYPE3 are a colour image", cube(3, 3, "", 3), 0, 0},
        {"NAXIS3 1", cube(3, 1, "", 1), 0, 0},
        {"an image extension after an empty primary",
         TFitsBuilder()
             .Value("SIMPLE", "T")
             .Value("BITPIX", "8")
             .Value("NAXIS", "0")
             .Value("EXTEND", "T")
             .End()
             .Blanks()
             .Str("XTENSION", "IMAGE")
             .Value("BITPIX", "16")
             .Value("NAXIS", "3")
             .Value("NAXIS1", "2")
             .Value("NAXIS2", "2")
             .Value("NAXIS3", "2")
             .Value("PCOUNT", "0")
             .Value("GCOUNT", "1")
             .End()
             .Blanks()
             .BigEndian(planes(2), 2)
             .Zeros(),
         2, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto source = MemorySource(c.file.Bytes);
        EXPECT_EQ(FitsCubePlanes(*source).value_or(0), c.frames);
        TRecordingHost host;
        TImageDocument doc;
        const auto result = LoadFitsCube(doc, source, "/data/orbit.fits", host, c.frames - 1);
        if (c.frames == 0) {
            EXPECT_FALSE(result);
            EXPECT_EQ(doc.Kind, kKindEmpty);
            continue;
        }
        ASSERT_EQ(result, TLoadResult::Loaded);
        EXPECT_TRUE(host.Messages.empty());
        EXPECT_EQ(doc.Series->Count(), c.frames);
        EXPECT_EQ(Stored(doc, 0), c.lastPlaneFirst);
        EXPECT_EQ(doc.FileName, "/data/orbit_" + std::to_string(c.frames) + ".fits");
        SelectFrame(doc, 1);
        EXPECT_EQ(Stored(doc, 3), 14);
        // A plane is saved as an image of its own: two axes, nothing after it.
        const std::vector<std::string> cards = BuildFitsHeaderCards(doc);
        EXPECT_EQ(cards[2].substr(0, 30), "NAXIS   =                    2");
        EXPECT_NE(cards[5].substr(0, 6), "NAXIS3");
        EXPECT_TRUE(doc.TrailingBytes.empty());
    }
}

TEST(FitsCube, ACubeAnnouncingFarMoreThanTheFileIsRefusedBeforeAnyPlaneIsRead) {
    const TFitsBuilder file = TFitsBuilder()
                                  .Image(16, 4096, 4096)
                                  .Value("NAXIS", "3")
                                  .Value("NAXIS3", "2000000000")
                                  .End()
                                  .Blanks()
                                  .BigEndian({1, 2}, 2)
                                  .Zeros();
    const auto source = MemorySource(file.Bytes);
    EXPECT_FALSE(FitsCubePlanes(*source));
    TRecordingHost host;
    TImageDocument doc;
    EXPECT_EQ(LoadFitsCube(doc, source, "/data/orbit.fits", host, 0), TLoadResult::Refused);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(
        host.Messages[0],
        "Le fichier orbit.fits annonce une image trop grande pour lui (4096x4096) !\nOuverture annulée");
    EXPECT_TRUE(doc.PixelStore.empty());
}
