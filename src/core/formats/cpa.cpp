#include "core/formats/cpa.h"

#include "core/base/bitmap.h"
#include "core/base/file_io.h"
#include "core/formats/pixel_data.h"
#include "core/image/display.h"
#include "core/text/number_text.h"
#include "core/text/rounding.h"

#include <array>
#include <cmath>
#include <limits>

namespace orv {

namespace {

constexpr size_t kShortHeader = 512;
constexpr size_t kLongHeader = 867;
constexpr uint32_t kSignature = 0xF5C7D1FA;
constexpr uint8_t kType8Bits = 2, kTypeInt16 = 3, kTypeReal32 = 6, kTypeRealPairs = 11;

// A length-prefixed string of 81 bytes (at most 80 characters).
std::string PascalString(std::span<const uint8_t> h, size_t at) {
    const size_t length = std::min<size_t>(h[at], 80);
    return std::string(reinterpret_cast<const char*>(h.data() + at + 1), length);
}

bool BlankOnceTrimmed(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

void AddComment(std::vector<std::string>& lines, std::string text) {
    text.resize(72, ' ');
    lines.push_back(std::move(text));
}

// A free comment text becomes two lines: characters 1 to 40, then 41 to 80.
void AddFreeTexts(std::vector<std::string>& lines, std::span<const uint8_t> h,
                  std::initializer_list<size_t> at) {
    for (size_t a : at) {
        const std::string text = PascalString(h, a);
        if (BlankOnceTrimmed(text)) continue;
        AddComment(lines, text.substr(0, 40));
        AddComment(lines, text.size() > 40 ? text.substr(40) : std::string());
    }
}

std::string Padded(int64_t v, size_t digits) {
    std::string s = std::to_string(v < 0 ? -v : v);
    if (s.size() < digits) s = std::string(digits - s.size(), '0') + s;
    return v < 0 ? "-" + s : s;
}

// DATE-OBS in the form FITS readers require (a day/month/year text fails their checks).
std::string IsoDate(int64_t year, int64_t month, int64_t day) {
    return Padded(year, 4) + "-" + Padded(month, 2) + "-" + Padded(day, 2);
}

TLoadResult Refuse(TImageDocument& doc, TDocumentHost& host, const std::string& message) {
    host.Message(TMsgKind::Error, TButtons::Ok, message);
    return RefuseLoad(doc);
}

std::string FitName(const std::string& fileName) {
    return fileName.substr(0, fileName.size() >= 4 ? fileName.size() - 4 : 0) + ".FIT";
}

int32_t ToInt32(double v) {
    return RoundClamped(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

void StartDocument(TImageDocument& doc, const std::string& fileName, uint8_t pixelType, int32_t width,
                   int32_t height) {
    ReserveLargeBuffer(doc.DisplayStream,
                       kPalettedBmpDataOffset + size_t(BitmapStride(width)) * size_t(height));
    doc.Kind = kKindFits;
    doc.PixelType = pixelType;
    doc.ImageWidth = width;
    doc.ImageHeight = height;
    doc.FileName = FitName(fileName);
    doc.Header.Simple = true;
    doc.Header.Bitpix = pixelType == kPixelInt16 ? 16 : -32;
    doc.Header.Naxis = 2;
    doc.Header.Naxis1 = width;
    doc.Header.Naxis2 = height;
}

// The file buffer becomes the pixel store: the header goes, the data stay where they are.
void TakeData(std::vector<uint8_t>& to, std::vector<uint8_t>& file, size_t header, size_t bytes) {
    file.erase(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), header)));
    file.resize(bytes, 0);
    to = std::move(file);
}

TLoadResult LoadLong(TImageDocument& doc, std::vector<uint8_t>& file,
                     const std::array<uint8_t, kLongHeader>& h, const std::string& fileName,
                     TDocumentHost& host) {
    const uint8_t type = h[60];
    if (type == kType8Bits) return Refuse(doc, host, "Données 8 bits non supportees !");
    if (type != kTypeInt16 && type != kTypeReal32 && type != kTypeRealPairs)
        return Refuse(doc, host, "Type de données incorrect !");
    const int32_t width = ReadU16(h, 4), height = ReadU16(h, 6);
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    const uint64_t dataBytes = pixels * (type == kTypeInt16 ? 2 : type == kTypeReal32 ? 4 : 8);
    const std::span<const uint8_t> data =
        std::span<const uint8_t>(file).subspan(std::min(file.size(), kLongHeader));
    if (!AnnouncedSizeIsSane(dataBytes, data.size())) return Refuse(doc, host, kBadImageSize);

    StartDocument(doc, fileName, type == kTypeInt16 ? kPixelInt16 : kPixelReal32, width, height);
    doc.HighThreshold = ReadF64(h, 12);
    doc.LowThreshold = ReadF64(h, 36);
    doc.Header.ThreshHigh = ToInt32(doc.HighThreshold);
    doc.Header.ThreshLow = ToInt32(doc.LowThreshold);

    if (type == kTypeInt16 && h[541] != 0) {
        ResizeLargeBuffer(doc.PixelStore, static_cast<size_t>(dataBytes));
        DecodeCompressedRows(data, width, height, doc.PixelStore.data(), TRowCoding::Cpa);
    } else if (type != kTypeRealPairs) {
        TakeData(doc.PixelStore, file, kLongHeader, static_cast<size_t>(dataBytes));
    } else {
        // Pairs of reals: the first of each pair is the image, the second is kept aside.
        ResizeLargeBuffer(doc.PixelStore, static_cast<size_t>(pixels) * 4);
        ResizeLargeBuffer(doc.SecondPlane, static_cast<size_t>(pixels) * 4);
        const size_t whole = std::min<size_t>(static_cast<size_t>(pixels), data.size() / 8);
        for (size_t k = 0; k < whole; ++k) {
            std::memcpy(doc.PixelStore.data() + 4 * k, data.data() + 8 * k, 4);
            std::memcpy(doc.SecondPlane.data() + 4 * k, data.data() + 8 * k + 4, 4);
        }
        const size_t rest = data.size() - 8 * whole; // a last pair cut short
        if (whole < pixels && rest > 0) {
            std::memcpy(doc.PixelStore.data() + 4 * whole, data.data() + 8 * whole,
                        std::min<size_t>(rest, 4));
            if (rest > 4)
                std::memcpy(doc.SecondPlane.data() + 4 * whole, data.data() + 8 * whole + 4, rest - 4);
        }
    }

    const TCpaDateTime start = CpaDateTimeText(ReadF64(h, 62));
    doc.Header.TimeExp = FormatReal15(ReadF64(h, 70));
    doc.Header.DateObs = start.Date;
    doc.Header.TimeBeg = start.Time;
    doc.Header.Telescop = PascalString(h, 80);
    doc.Header.Observer = PascalString(h, 161);

    auto& lines = doc.CommentLines;
    AddComment(lines, "BINX = " + std::to_string(ReadU16(h, 8)));
    AddComment(lines, "BINY = " + std::to_string(ReadU16(h, 10)));
    AddComment(lines, std::string("MIROIRX = ") + (h[78] != 0 ? "T" : "F"));
    AddComment(lines, std::string("MIROIRY = ") + (h[79] != 0 ? "T" : "F"));
    const std::pair<const char*, size_t> reals[] = {
        {"ALPHA = ", 493}, {"DELTA = ", 501}, {"PIXX = ", 509}, {"PIXY = ", 517}, {"FOCALE = ", 485}};
    for (const auto& [key, at] : reals) {
        const double v = ReadF64(h, at);
        if (v != 0) AddComment(lines, key + FormatReal15(v));
    }
    const std::pair<const char*, size_t> limits[] = {
        {"DEBX = ", 525}, {"DEBY = ", 529}, {"FINX = ", 533}, {"FINY = ", 537}};
    for (const auto& [key, at] : limits) {
        const int32_t v = ReadI32(h, at);
        if (v != 0) AddComment(lines, key + std::to_string(v));
    }
    const std::pair<const char*, size_t> names[] = {
        {"CAMERA = ", 242}, {"FILTRE = ", 323}, {"OBSERVATOIRE = ", 404}};
    for (const auto& [key, at] : names) {
        const std::string text = PascalString(h, at);
        if (!BlankOnceTrimmed(text)) AddComment(lines, key + text);
    }
    AddFreeTexts(lines, h, {543, 624, 705, 786});
    return FinishLoad(doc);
}

// The short header keeps no binning: its comment lines are the free texts only.
TLoadResult LoadShort(TImageDocument& doc, const std::vector<uint8_t>& file,
                      const std::array<uint8_t, kShortHeader>& h, const std::string& fileName,
                      TDocumentHost& host) {
    const int32_t width = ReadU16(h, 0), height = ReadU16(h, 2);
    const uint64_t dataBytes = uint64_t(width) * uint64_t(height) * 2;
    const std::span<const uint8_t> data =
        std::span<const uint8_t>(file).subspan(std::min(file.size(), kShortHeader));
    if (!AnnouncedSizeIsSane(dataBytes, data.size())) return Refuse(doc, host, kBadImageSize);

    StartDocument(doc, fileName, kPixelInt16, width, height);
    doc.Header.ThreshHigh = ReadU16(h, 8);
    doc.Header.ThreshLow = ReadU16(h, 10);
    doc.HighThreshold = doc.Header.ThreshHigh;
    doc.LowThreshold = doc.Header.ThreshLow;

    ResizeLargeBuffer(doc.PixelStore, static_cast<size_t>(dataBytes));
    DecodeCompressedRows(data, width, height, doc.PixelStore.data(), TRowCoding::Cpa);

    auto word = [&](size_t at) { return std::to_string(ReadU16(h, at)); };
    std::string hundredths = word(24);
    if (hundredths.size() < 2) hundredths = "0" + hundredths;
    doc.Header.TimeExp = FormatReal15(Real48ToDouble(h.data() + 26));
    doc.Header.DateObs = IsoDate(ReadU16(h, 12), ReadU16(h, 14), ReadU16(h, 16));
    doc.Header.TimeBeg = word(18) + ":" + word(20) + ":" + word(22) + "." + hundredths;
    AddFreeTexts(doc.CommentLines, h, {56, 137, 218, 299});
    return FinishLoad(doc);
}

} // namespace

double Real48ToDouble(const uint8_t* b) {
    if (b[0] == 0) return 0;
    const uint64_t fraction = uint64_t{b[1]} | (uint64_t{b[2]} << 8) | (uint64_t{b[3]} << 16) |
                              (uint64_t{b[4]} << 24) | (uint64_t{b[5] & 0x7Fu} << 32);
    const double v = std::ldexp(1.0 + std::ldexp(static_cast<double>(fraction), -39), int{b[0]} - 129);
    return (b[5] & 0x80) ? -v : v;
}

TCpaDateTime CpaDateTimeText(double days) {
    constexpr int64_t kMsPerDay = 86400000;
    // Whole milliseconds, then the day (truncated) and the time of day (its magnitude).
    const int64_t ms = Round(days * static_cast<double>(kMsPerDay));
    const int64_t day = ms / kMsPerDay;
    const int64_t time = ms % kMsPerDay < 0 ? -(ms % kMsPerDay) : ms % kMsPerDay;
    // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
    const int64_t z = day - 25569 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    std::string milli = std::to_string(time % 1000);
    milli = std::string(3 - milli.size(), '0') + milli;
    TCpaDateTime t;
    t.Date = IsoDate(y, m, d);
    t.Time = std::to_string(time / 3600000) + ":" + std::to_string(time / 60000 % 60) + ":" +
             std::to_string(time / 1000 % 60) + "." + milli;
    return t;
}

TLoadResult LoadCpaFromBytes(TImageDocument& doc, std::vector<uint8_t> bytes, const std::string& fileName,
                             TDocumentHost& host) {
    doc.Header.ClearHeader();
    doc.CommentLines.clear();
    doc.HistoryLines.clear();
    doc.OtherCards.clear();
    doc.TrailingBytes.clear();
    doc.SecondPlane.clear();
    std::array<uint8_t, kShortHeader> shortHeader{}; // bytes past the end of a short file stay 0
    ReadField(bytes, 0, shortHeader.data(), kShortHeader);
    if (shortHeader[509] == 2 && shortHeader[510] == 1 && shortHeader[511] == 8)
        return LoadShort(doc, bytes, shortHeader, fileName, host);
    std::array<uint8_t, kLongHeader> longHeader{};
    ReadField(bytes, 0, longHeader.data(), kLongHeader);
    if (static_cast<uint32_t>(ReadI32(longHeader, 0)) == kSignature)
        return LoadLong(doc, bytes, longHeader, fileName, host);
    return Refuse(doc, host, "Ce fichier n'est certainement pas une image CPA !\nOuverture annulée");
}

TLoadResult LoadCpa(TImageDocument& doc, const std::string& fileName, TDocumentHost& host) {
    return LoadCpaFromBytes(doc, ReadWholeFile(fileName), fileName, host);
}

} // namespace orv
