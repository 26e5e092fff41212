#include "core/anim/anim_frame.h"
#include "core/anim/anim_save.h"

#include "core/anim/anim_frames.h"
#include "core/formats/temp_dir.h"
#include "core/image/display.h"
#include "core/image/document_builder.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::anim_test;

TEST(AnimFrame, NameTimeDelayAndPictureComeFromTheDocument) {
    auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 3, 2, {0, 100, 200, 300, 400, 500});
    doc.HighThreshold = 500;
    doc.FileName = "/data/night/m51-3.fit";
    doc.Header.TimeBeg = "21:04:09.25";
    Render(doc);
    const TAnimImg frame = MakeFrame(doc);
    EXPECT_EQ(frame.Name, "m51-3.fit");
    EXPECT_EQ(frame.Time, "21:04:09.25");
    EXPECT_EQ(frame.Delay, 15);
    EXPECT_FALSE(frame.Selected);
    EXPECT_EQ(frame.Bitmap, TBitmap::FromBmpFile(doc.DisplayStream));
    EXPECT_EQ(frame.Bitmap.Width, 3);

    doc.Kind = kKindPic;
    const std::string picTime = "10:01:00.00";
    std::copy(picTime.begin(), picTime.end(), doc.PicHeader.begin() + 104);
    EXPECT_EQ(FrameTime(doc), picTime); // stops at the padding
    std::fill(doc.PicHeader.begin() + 104, doc.PicHeader.begin() + 118, uint8_t('1'));
    doc.PicHeader[118] = '9';
    EXPECT_EQ(FrameTime(doc), std::string(14, '1')); // never more than 14 characters
    doc.Kind = kKindBmp;
    EXPECT_EQ(FrameTime(doc), "");
}

TEST(AnimSave, FileNamesAndQuestion) {
    EXPECT_EQ(AnimationFileName("/tmp/orbite"), "/tmp/orbite.gif");
    EXPECT_EQ(AnimationFileName("/tmp/orbite.anim"), "/tmp/orbite.anim");
    EXPECT_EQ(AnimationFileName("/tmp/run.2/orbite"), "/tmp/run.2/orbite.gif");
    EXPECT_EQ(OverwriteQuestion("/tmp/a.gif"), "Le fichier :\n/tmp/a.gif\nExiste déjà, l'ecraser ?");
}

TEST(AnimSave, EveryFrameWithItsDelayFirstColoursGlobal) {
    const std::vector<TAnimImg> frames{Frame("un", 15), Frame("deux", 30), Frame("trois", 0)};
    std::vector<std::string> labels;
    TProgress progress([&](const std::string& label, float) {
        if (labels.empty() || labels.back() != label) labels.push_back(label);
    });
    formats_test::TTempDir dir;
    const std::string path = dir.File("a.gif");
    SaveAnimation(frames, path, progress);
    EXPECT_EQ(labels, (std::vector<std::string>{
                          "Conversion de l'image : un", "Conversion de l'image : deux",
                          "Conversion de l'image : trois", "Compression de l'image numéro 1",
                          "Compression de l'image numéro 2", "Compression de l'image numéro 3"}));
    TGifFile read;
    read.LoadFromFile(path);
    ASSERT_EQ(read.SubImages.size(), 3u);
    EXPECT_TRUE(read.HasGlobalTable);
    const uint16_t delays[] = {15, 30, 0};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.SubImages[i]->GetDelay(), delays[i]) << i;
        EXPECT_EQ(read.SubImages[i]->HasLocalTable, i > 0) << i;
        EXPECT_EQ(read.SubImages[i]->GetBitmap().PixelColor(0, 0), frames[i].Bitmap.PixelColor(0, 0)) << i;
    }

    const std::string again = dir.File("b.gif");
    SaveAnimation(frames, again, progress);
    EXPECT_EQ(formats_test::TTempDir::Read(path), formats_test::TTempDir::Read(again));
}
