#include "core/anim/anim_frame.h"
#include "core/anim/anim_save.h"
#include "core/anim/anim_writer.h"
#include "core/anim/delays.h"
#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_file.h"

#include "core/anim/anim_frames.h"
#include "core/formats/temp_dir.h"
#include "core/image/display.h"
#include "core/image/document_builder.h"
#include "core/message_of.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <webp/demux.h>

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
    EXPECT_EQ(labels,
              (std::vector<std::string>{"Compression de l'image numéro 1", "Compression de l'image numéro 2",
                                        "Compression de l'image numéro 3"}));
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

TEST(AnimSave, AWebPHoldsEachFramesPictureAndDelayExactly) {
    // Lossless: every pixel decodes as the frame's colour, red and blue in their places; the
    // bounce's frame made again is the frame itself.
    const std::vector<TAnimImg> frames{Frame("un", 15), Frame("deux", 30), Frame("trois", 7)};
    formats_test::TTempDir dir;
    TProgress none;
    TAnimOptions bounce;
    bounce.Bounce = true;
    SaveAnimation(frames, dir.File("a.webp"), none, bounce);
    const std::vector<uint8_t> file = formats_test::TTempDir::Read(dir.File("a.webp"));
    const WebPData data{file.data(), file.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(decoder, nullptr);
    const size_t order[] = {0, 1, 2, 1};
    int end = 0;
    for (const size_t k : order) {
        uint8_t* rgba = nullptr;
        int timestamp = 0;
        ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &rgba, &timestamp));
        end += frames[k].Delay * 10;
        EXPECT_EQ(timestamp, end) << k;
        for (int32_t x = 0; x < 2; ++x) {
            const uint32_t c = frames[k].Bitmap.PixelColor(x, 0);
            const uint8_t* p = rgba + 4 * x;
            EXPECT_EQ(MakeColor(p[0], p[1], p[2]), c) << k << "," << x;
        }
    }
    EXPECT_FALSE(WebPAnimDecoderHasMoreFrames(decoder));
    WebPAnimDecoderDelete(decoder);
}

namespace {

// Frames of a 16-bit series: frame i is a ramp shifted by 7 i, observed i minutes after 22:10,
// thresholds varying with i, so that every option changes something.
std::vector<TAnimImg> Series(size_t count) {
    std::vector<TAnimImg> frames;
    for (size_t i = 0; i < count; ++i) {
        std::vector<int16_t> v;
        for (int k = 0; k < 90 * 70; ++k)
            v.push_back(int16_t((k * 13 + int(i) * 7) % 3000));
        auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 90, 70, v);
        doc.HighThreshold = 2000 + 20 * double(i);
        doc.Header.DateObs = "2024-03-09";
        doc.Header.TimeBeg = "22:" + std::to_string(10 + i % 50) + ":00";
        doc.FileName = "c" + std::to_string(i) + ".fit";
        Render(doc);
        frames.push_back(MakeFrame(std::move(doc), uint16_t(5 + i)));
    }
    return frames;
}

} // namespace

TEST(AnimSave, AnyNumberOfThreadsWritesTheSameBytesAsTheGifModel) {
    formats_test::TTempDir dir;
    TProgress none;
    const std::vector<TAnimImg> frames = Series(40);
    SaveAnimation(frames, dir.File("one.gif"), none, {}, 1);
    TGifFile model;
    for (const TAnimImg& f : frames) {
        TColorTable table;
        TByteArray2D matrix;
        BitmapToMatrix(f.Bitmap, table, matrix);
        model.AddSubImage(table, matrix, f.Delay);
    }
    EXPECT_EQ(formats_test::TTempDir::Read(dir.File("one.gif")), model.SaveToMemory());

    TAnimOptions all;
    all.SameDisplay = all.Stamp = all.Bounce = true;
    all.Crop = TCropRect{3, 5, 80, 60};
    all.Bin = 3;
    SaveAnimation(frames, dir.File("a1.gif"), none, all, 1);
    SaveAnimation(frames, dir.File("a4.gif"), none, all, 4);
    const auto one = formats_test::TTempDir::Read(dir.File("a1.gif"));
    EXPECT_EQ(one, formats_test::TTempDir::Read(dir.File("a4.gif")));
    TGifFile read;
    read.LoadFromFile(dir.File("a4.gif"));
    ASSERT_EQ(read.SubImages.size(), 78u);
    EXPECT_EQ(read.SubImages[0]->Descriptor.Width, 26);
    EXPECT_EQ(read.SubImages[0]->Descriptor.Height, 20);
    // The bounce: frame 39 down to 2, each with its delay.
    EXPECT_EQ(read.SubImages[40]->GetDelay(), frames[38].Delay);
    EXPECT_EQ(read.SubImages[77]->GetDelay(), frames[1].Delay);
    EXPECT_EQ(read.SubImages[77]->Data.Bytes().size(), read.SubImages[1]->Data.Bytes().size());
}

TEST(AnimSave, WhileAFrameIsSlowTheOthersGoOnWithinTheirBytes) {
    const std::vector<TAnimImg> frames = Series(30);
    std::vector<TAnimFrameResult> made(frames.size());
    size_t smallest = SIZE_MAX;
    for (size_t k = 0; k < frames.size(); ++k) {
        TColorTable table;
        TByteArray2D matrix;
        BitmapToMatrix(frames[k].Bitmap, table, matrix);
        made[k].Image = EncodeImage(table, matrix);
        smallest = std::min(smallest, size_t(made[k].Image->Data.ByteCount()));
    }
    formats_test::TTempDir dir;
    std::mutex mutex;
    size_t started = 0, written = 0, mostAhead = 0;
    TAnimWriteOptions options;
    options.Jobs = 3;
    options.AheadBytes = 8 * smallest;
    const auto job = [&](size_t k) {
        if (k == 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::lock_guard lock(mutex);
        mostAhead = std::max(mostAhead, ++started - written);
        return made[k];
    };
    WriteAnimation(dir.File("ahead.gif"), frames.size(), job, options, [&](size_t w, size_t) {
        std::lock_guard lock(mutex);
        written = w;
    });
    EXPECT_GE(mostAhead, 7u) << "more than one frame per thread";
    EXPECT_LE(mostAhead, 3u + 8 + 1) << "the frames waiting hold at most the bytes allowed";
    options.Jobs = 1;
    started = written = 0;
    WriteAnimation(dir.File("one.gif"), frames.size(), job, options);
    EXPECT_EQ(formats_test::TTempDir::Read(dir.File("ahead.gif")),
              formats_test::TTempDir::Read(dir.File("one.gif")));
}

TEST(AnimSave, FramesOutsideTheRegionAreLeftOutAndNothingIsWrittenWithoutFrames) {
    formats_test::TTempDir dir;
    TProgress none;
    std::vector<TAnimImg> frames = Series(2);
    frames.insert(frames.begin() + 1, Frame("petite"));
    TAnimOptions crop;
    crop.Crop = TCropRect{1, 1, 50, 50};
    std::vector<std::string> leftOut;
    SaveAnimation(frames, dir.File("a.gif"), none, crop, 2, &leftOut);
    EXPECT_EQ(leftOut,
              std::vector<std::string>{"petite : La zone X 1, Y 1, 50 x 50 dépasse l'image (2 x 1)"});
    TGifFile read;
    read.LoadFromFile(dir.File("a.gif"));
    EXPECT_EQ(read.SubImages.size(), 2u);

    const std::vector<TAnimImg> small{Frame("a"), Frame("b")};
    EXPECT_EQ(MessageOf([&] { SaveAnimation(small, dir.File("a.gif"), none, crop); }),
              "Aucune image pour l'animation");
    read.LoadFromFile(dir.File("a.gif")); // the file written before is still whole
    EXPECT_EQ(read.SubImages.size(), 2u);
}

TEST(AnimSave, DelaysFromTheTimesAsFramesStreamAreThoseOfTheBuilder) {
    const std::vector<std::vector<std::string>> series{
        {"10:00:00"},
        {"10:00:00", "10:01:00"},
        {"10:00:00", "10:00:00", "10:03:00"},
        {"23:58:00", "23:59:00", "00:01:00", "00:05:00"},
        {"10:00:00", "10:01:00", "10:03:00", "10:02:00", "11:00:00"}};
    formats_test::TTempDir dir;
    for (const auto& times : series) {
        std::vector<TAnimImg> frames;
        for (const std::string& t : times)
            frames.push_back(Frame("f", 20, t));
        TAnimFrameResult made;
        TColorTable table;
        TByteArray2D matrix;
        BitmapToMatrix(frames[0].Bitmap, table, matrix);
        made.Image = EncodeImage(table, matrix);
        made.Delay = 20;
        TAnimWriteOptions options;
        options.AutoDelays = true;
        WriteAnimation(
            dir.File("t.gif"), times.size(),
            [&](size_t k) {
                TAnimFrameResult r = made;
                r.Time = times[k];
                return r;
            },
            options);
        bool modified = false;
        BitAuto(frames, modified);
        TGifFile read;
        read.LoadFromFile(dir.File("t.gif"));
        std::vector<uint16_t> got, want;
        for (size_t k = 0; k < frames.size(); ++k) {
            got.push_back(read.SubImages[k]->GetDelay());
            want.push_back(frames[k].Delay);
        }
        EXPECT_EQ(got, want) << times.size();
    }
}

TEST(AnimSave, EachThreadHoldsOneEncodedFrameCountingTheOneBeingWritten) {
    TColorTable table;
    TByteArray2D matrix;
    BitmapToMatrix(Frame("a").Bitmap, table, matrix);
    TAnimFrameResult made;
    made.Image = EncodeImage(table, matrix);
    formats_test::TTempDir dir;
    for (const unsigned threads : {1u, 2u, 4u}) {
        std::atomic<size_t> written = 0, early = 0;
        TAnimWriteOptions options;
        options.Jobs = threads;
        WriteAnimation(
            dir.File("h.gif"), 24,
            [&](size_t k) {
                if (k >= written + threads) ++early; // frame k - threads not yet written
                return made;
            },
            options,
            [&](size_t count, size_t) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a slow disk
                written = count;
            });
        EXPECT_EQ(early, 0u) << threads << " threads";
    }
}
