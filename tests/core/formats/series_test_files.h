// SER and XISF files for tests, built in memory: a SER header with its frames and trailer, and
// an XISF file whose image block is stored as it is or compressed (zlib, lz4, lz4hc, zstd),
// with or without byte shuffling, and whose header carries FITSKeyword elements.
#pragma once

#include <cstdint>
#include <cstring>
#include <lz4.h>
#include <lz4hc.h>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>
#include <zstd.h>

namespace orv::test {

struct TSerFile {
    int32_t ColorId = 0, LittleEndianField = 0, Width = 3, Height = 2, Depth = 16;
    int32_t FrameCount = -1;    // -1: the frames given
    bool BigEndianData = false; // 16-bit values stored most significant byte first
    std::string FileId = "LUCAM-RECORDER";
    std::vector<std::vector<uint16_t>> Frames; // Width x Height x planes values, top row first
    std::vector<int64_t> Trailer;              // 100 ns ticks since 0001-01-01, or none

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b;
        auto put = [&](const void* p, size_t n) {
            b.insert(b.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
        };
        std::string id = FileId;
        id.resize(14, '\0');
        put(id.data(), 14);
        const int32_t count = FrameCount >= 0 ? FrameCount : int32_t(Frames.size());
        const int32_t fields[] = {0, ColorId, LittleEndianField, Width, Height, Depth, count};
        put(fields, sizeof fields); // the machine is little-endian, as the header is
        std::string texts(120, '\0');
        texts.replace(0, 8, "Observer");
        texts.replace(40, 5, "Scope");
        texts.replace(80, 6, "Camera");
        put(texts.data(), texts.size());
        const int64_t start = Trailer.empty() ? 0 : Trailer[0];
        put(&start, 8);
        put(&start, 8);
        for (const auto& frame : Frames)
            for (uint16_t v : frame) {
                if (Depth <= 8)
                    b.push_back(uint8_t(v));
                else if (BigEndianData)
                    b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
                else
                    b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
            }
        for (int64_t t : Trailer)
            put(&t, 8);
        return b;
    }
};

enum class TXisfCodec { None, Zlib, Lz4, Lz4Hc, Zstd };

struct TXisfFile {
    std::string Element = "Image", Geometry = "3:2:1", SampleFormat = "UInt16",
                Extra; // Extra: more attributes
    TXisfCodec Codec = TXisfCodec::None;
    size_t ShuffleItem = 0; // 0: no shuffling
    std::vector<uint8_t> Samples;
    std::vector<std::pair<std::string, std::string>> Keywords; // name, value (comment "c")
    std::string Compression;                                   // instead of the one made, when set
    std::string Location;                                      // instead of the one made, when set

    static std::vector<uint8_t> Shuffle(const std::vector<uint8_t>& in, size_t item) {
        std::vector<uint8_t> out(in);
        const size_t n = in.size() / item;
        for (size_t i = 0; i < n; ++i)
            for (size_t b = 0; b < item; ++b)
                out[b * n + i] = in[i * item + b];
        return out;
    }

    static std::vector<uint8_t> Compress(TXisfCodec codec, const std::vector<uint8_t>& in) {
        std::vector<uint8_t> out(in.size() * 2 + 1024);
        int n = 0;
        switch (codec) {
        case TXisfCodec::None:
            return in;
        case TXisfCodec::Zlib: {
            uLongf size = out.size();
            compress2(out.data(), &size, in.data(), in.size(), 9);
            n = int(size);
            break;
        }
        case TXisfCodec::Lz4:
            n = LZ4_compress_default(reinterpret_cast<const char*>(in.data()),
                                     reinterpret_cast<char*>(out.data()), int(in.size()), int(out.size()));
            break;
        case TXisfCodec::Lz4Hc:
            n = LZ4_compress_HC(reinterpret_cast<const char*>(in.data()), reinterpret_cast<char*>(out.data()),
                                int(in.size()), int(out.size()), 9);
            break;
        case TXisfCodec::Zstd:
            n = int(ZSTD_compress(out.data(), out.size(), in.data(), in.size(), 3));
            break;
        }
        out.resize(size_t(n));
        return out;
    }

    std::vector<uint8_t> Bytes() const {
        static const char* const kNames[] = {"", "zlib", "lz4", "lz4hc", "zstd"};
        const std::vector<uint8_t> block =
            Compress(Codec, ShuffleItem > 1 ? Shuffle(Samples, ShuffleItem) : Samples);
        std::string compression = Compression;
        if (compression.empty() && Codec != TXisfCodec::None)
            compression = std::string(kNames[int(Codec)]) + (ShuffleItem ? "+sh" : "") + ":" +
                          std::to_string(Samples.size()) +
                          (ShuffleItem ? ":" + std::to_string(ShuffleItem) : "");
        // The block at a fixed offset past any header the tests write.
        const size_t position = 8192;
        std::string xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- test -->\n"
            "<xisf version=\"1.0\" xmlns=\"http://www.pixinsight.com/xisf\">\n"
            "<" +
            Element + " geometry=\"" + Geometry + "\" sampleFormat=\"" + SampleFormat + "\" location=\"" +
            (Location.empty() ? "attachment:" + std::to_string(position) + ":" + std::to_string(block.size())
                              : Location) +
            "\"" + (compression.empty() ? "" : " compression=\"" + compression + "\"") + " " + Extra + ">\n";
        for (const auto& [name, value] : Keywords)
            xml += "<FITSKeyword name=\"" + name + "\" value=\"" + value + "\" comment=\"c\"/>\n";
        xml += "</" + Element +
               ">\n<Metadata><Property id=\"XISF:CreatorApplication\" type=\"String\">tests</Property>"
               "</Metadata>\n</xisf>\n";
        std::vector<uint8_t> b(position + block.size(), 0);
        std::memcpy(b.data(), "XISF0100", 8);
        const uint32_t length = uint32_t(xml.size());
        std::memcpy(b.data() + 8, &length, 4);
        std::memcpy(b.data() + 16, xml.data(), xml.size());
        if (!block.empty()) std::memcpy(b.data() + position, block.data(), block.size());
        return b;
    }
};

} // namespace orv::test
