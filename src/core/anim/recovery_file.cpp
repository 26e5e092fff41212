// One item a line, fields separated by one space, a path last (the rest of the line, with "\",
// line feeds and carriage returns escaped), and "end" as the last line, so that a file cut
// anywhere is recognised as cut:
//   orvanel-recovery 2
//   owner <process> <start ticks> <boot or ->
//   options <same display 0|1> <bin> <stamp 0|1> <bounce 0|1> <X,Y,W,H or ->
//   frame <delay> <GIF image or -1> <path>
//   display <high> <low> <function> <palette: 768 bytes in hex>   (of the line before)
//   image <zoom in> <zoom out> <frame in a video or cube> <path>
//   display ...                                                    (always, for an image)
//   end
// Version 1 wrote no frame on an image line: such an image is frame 0, and its file is read still.
#include "core/anim/recovery_file.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orv {

namespace {

constexpr std::string_view kMagic = "orvanel-recovery 2";
constexpr std::string_view kMagicWithoutFrames = "orvanel-recovery 1";
constexpr char kHex[] = "0123456789abcdef";

std::string Escaped(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0' || c == '\n' || c == '\r') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        if (text[i] == '\\')
            out += '\\';
        else if (text[i] == 'n')
            out += '\n';
        else if (text[i] == 'r')
            out += '\r';
        else
            return std::nullopt;
    }
    if (out.empty()) return std::nullopt;
    return out;
}

std::string Number(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

void AppendDisplay(std::string& out, const TDisplaySettings& d) {
    out += "display " + Number(d.HighThreshold) + ' ' + Number(d.LowThreshold) + ' ' +
           std::string(DisplayFunctionName(d.DisplayFunction)) + ' ';
    for (const TPaletteEntry& entry : d.Palette)
        for (uint8_t byte : entry) {
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    out += '\n';
}

// The line's fields: `count` words, then (when `path` is asked for) the rest of the line.
struct TLine {
    std::vector<std::string_view> Words;
    std::string_view Rest;
};

std::optional<TLine> Split(std::string_view line, size_t count, bool path) {
    TLine out;
    size_t at = 0;
    for (size_t k = 0; k < count; ++k) {
        const size_t space = line.find(' ', at);
        const bool last = k + 1 == count && !path;
        if (last) {
            if (space != std::string_view::npos) return std::nullopt;
            out.Words.push_back(line.substr(at));
        } else {
            if (space == std::string_view::npos) return std::nullopt;
            out.Words.push_back(line.substr(at, space - at));
            at = space + 1;
        }
        if (out.Words.back().empty()) return std::nullopt;
    }
    if (path) out.Rest = line.substr(at);
    return out;
}

template <typename T> std::optional<T> Whole(std::string_view word, T low, T high) {
    T value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<bool> Flag(std::string_view word) {
    if (word == "0") return false;
    if (word == "1") return true;
    return std::nullopt;
}

std::optional<double> Real(std::string_view word) {
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<uint8_t> HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

std::optional<TDisplaySettings> ParseDisplay(std::string_view line) {
    const auto fields = Split(line, 5, false);
    if (!fields || fields->Words[0] != "display") return std::nullopt;
    TDisplaySettings d;
    const auto high = Real(fields->Words[1]), low = Real(fields->Words[2]);
    const auto function = DisplayFunctionNamed(fields->Words[3]);
    const std::string_view hex = fields->Words[4];
    if (!high || !low || !function || hex.size() != d.Palette.size() * 3 * 2) return std::nullopt;
    d.HighThreshold = *high;
    d.LowThreshold = *low;
    d.DisplayFunction = *function;
    size_t at = 0;
    for (TPaletteEntry& entry : d.Palette)
        for (uint8_t& byte : entry) {
            const auto upper = HexDigit(hex[at]), lower = HexDigit(hex[at + 1]);
            if (!upper || !lower) return std::nullopt;
            byte = static_cast<uint8_t>(*upper << 4 | *lower);
            at += 2;
        }
    return d;
}

std::optional<TRecoveryOwner> ParseOwner(std::string_view line) {
    const auto fields = Split(line, 4, false);
    if (!fields || fields->Words[0] != "owner") return std::nullopt;
    const auto process = Whole<int64_t>(fields->Words[1], 1, std::numeric_limits<int64_t>::max());
    const auto ticks = Whole<uint64_t>(fields->Words[2], 0, std::numeric_limits<uint64_t>::max());
    if (!process || !ticks) return std::nullopt;
    const std::string_view boot = fields->Words[3];
    return TRecoveryOwner{*process, *ticks, boot == "-" ? std::string() : std::string(boot)};
}

// How --align names the method, as the options line keeps it.
const char* AlignWord(TAlignMethod method) {
    switch (method) {
    case TAlignMethod::Stars:
        return "stars";
    case TAlignMethod::Sky:
        return "wcs";
    case TAlignMethod::None:
        break;
    }
    return "none";
}

// "X1,Y1,XN,YN" as Number writes them, each read back exactly.
std::string TrackText(const TTrack& t) {
    return Number(t.FirstX) + ',' + Number(t.FirstY) + ',' + Number(t.LastX) + ',' + Number(t.LastY);
}

std::optional<TTrack> TrackOf(std::string_view text) {
    double v[4];
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int k = 0; k < 4; ++k) {
        const auto [next, error] = std::from_chars(at, end, v[k]);
        if (error != std::errc() || !std::isfinite(v[k])) return std::nullopt;
        if (k == 3) {
            if (next != end) return std::nullopt;
        } else {
            if (next == end || *next != ',') return std::nullopt;
            at = next + 1;
        }
    }
    return TTrack{v[0], v[1], v[2], v[3]};
}

std::optional<TAnimOptions> ParseOptions(std::string_view line) {
    // The alignment, the normalisation and the track end the line; a file written before them
    // has none of them.
    auto fields = Split(line, 9, false);
    const bool steady = fields.has_value();
    if (!steady) fields = Split(line, 6, false);
    if (!fields || fields->Words[0] != "options") return std::nullopt;
    TAnimOptions o;
    const auto same = Flag(fields->Words[1]), stamp = Flag(fields->Words[3]), bounce = Flag(fields->Words[4]);
    const auto bin = Whole<int32_t>(fields->Words[2], 1, kMaxBin);
    if (!same || !stamp || !bounce || !bin) return std::nullopt;
    o.SameDisplay = *same;
    o.Bin = *bin;
    o.Stamp = *stamp;
    o.Bounce = *bounce;
    if (fields->Words[5] != "-") {
        o.Crop = ParseCrop(std::string(fields->Words[5]));
        if (!o.Crop) return std::nullopt;
    }
    if (steady) {
        const auto align = ParseAlign(std::string(fields->Words[6]));
        const auto normalize = Flag(fields->Words[7]);
        if (!align || !normalize) return std::nullopt;
        o.Align = *align;
        o.Normalize = *normalize;
        if (fields->Words[8] != "-") {
            o.Track = TrackOf(fields->Words[8]);
            if (!o.Track) return std::nullopt;
        }
    }
    return o;
}

std::optional<TRecoveredFrame> ParseFrame(std::string_view line) {
    const auto fields = Split(line, 3, true);
    if (!fields || fields->Words[0] != "frame") return std::nullopt;
    const auto delay = Whole<uint16_t>(fields->Words[1], 0, 65535);
    const auto gif = Whole<int32_t>(fields->Words[2], -1, std::numeric_limits<int32_t>::max());
    auto path = Unescaped(fields->Rest);
    if (!delay || !gif || !path) return std::nullopt;
    return TRecoveredFrame{std::move(*path), *gif, *delay, std::nullopt};
}

std::optional<TRecoveredImage> ParseImage(std::string_view line, bool withFrame) {
    const auto fields = Split(line, withFrame ? 4 : 3, true);
    if (!fields || fields->Words[0] != "image") return std::nullopt;
    const auto in = Whole<int32_t>(fields->Words[1], 1, kMaxZoomFactor);
    const auto out = Whole<int32_t>(fields->Words[2], 1, kMaxZoomFactor);
    const auto frame =
        withFrame ? Whole<uint32_t>(fields->Words[3], 0, std::numeric_limits<uint32_t>::max()) : uint32_t{0};
    auto path = Unescaped(fields->Rest);
    if (!in || !out || (*in > 1 && *out > 1) || !frame || !path) return std::nullopt;
    return TRecoveredImage{std::move(*path), TDisplaySettings{}, TZoom{*in, *out}, *frame};
}

} // namespace

std::string RecoveryText(const TRecoveryState& state) {
    std::string out(kMagic);
    out += '\n';
    const TRecoveryOwner& owner = state.Owner;
    out += "owner " + std::to_string(owner.Process) + ' ' + std::to_string(owner.StartTicks) + ' ' +
           (owner.Boot.empty() ? std::string("-") : owner.Boot) + '\n';
    const TAnimOptions& o = state.Options;
    out += "options " + std::to_string(o.SameDisplay) + ' ' + std::to_string(o.Bin) + ' ' +
           std::to_string(o.Stamp) + ' ' + std::to_string(o.Bounce) + ' ';
    if (o.Crop) {
        const TCropRect& c = *o.Crop;
        out += std::to_string(c.X) + ',' + std::to_string(c.Y) + ',' + std::to_string(c.Width) + ',' +
               std::to_string(c.Height);
    } else {
        out += '-';
    }
    out += std::string(" ") + AlignWord(o.Align) + ' ' + std::to_string(o.Normalize) + ' ' +
           (o.Track ? TrackText(*o.Track) : std::string("-")) + '\n';
    for (const TRecoveredFrame& f : state.Frames) {
        out += "frame " + std::to_string(f.Delay) + ' ' + std::to_string(f.GifImage) + ' ' + Escaped(f.Path) +
               '\n';
        if (f.Display) AppendDisplay(out, *f.Display);
    }
    for (const TRecoveredImage& i : state.Images) {
        out += "image " + std::to_string(i.Zoom.In) + ' ' + std::to_string(i.Zoom.Out) + ' ' +
               std::to_string(i.Frame) + ' ' + Escaped(i.Path) + '\n';
        AppendDisplay(out, i.Display);
    }
    out += "end\n";
    return out;
}

std::optional<TRecoveryState> ParseRecovery(std::string_view text) {
    if (text.size() > kMaxRecoveryBytes || text.empty() || text.back() != '\n') return std::nullopt;
    std::vector<std::string_view> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (lines.size() < 4 || (lines.front() != kMagic && lines.front() != kMagicWithoutFrames) ||
        lines.back() != "end")
        return std::nullopt;
    const bool withFrames = lines.front() == kMagic;
    TRecoveryState state;
    const auto owner = ParseOwner(lines[1]);
    const auto options = ParseOptions(lines[2]);
    if (!owner || !options) return std::nullopt;
    state.Owner = *owner;
    state.Options = *options;
    // A display line belongs to the item just before it: once to a frame, always to an image.
    enum class TLast { None, Frame, Image, Display } last = TLast::None;
    for (size_t k = 3; k + 1 < lines.size(); ++k) {
        const std::string_view line = lines[k];
        if (line.starts_with("display ")) {
            auto display = ParseDisplay(line);
            if (!display) return std::nullopt;
            if (last == TLast::Frame)
                state.Frames.back().Display = std::move(*display);
            else if (last == TLast::Image)
                state.Images.back().Display = std::move(*display);
            else
                return std::nullopt;
            last = TLast::Display;
            continue;
        }
        if (last == TLast::Image) return std::nullopt;
        if (state.Frames.size() + state.Images.size() >= kMaxRecoveredItems) return std::nullopt;
        if (auto frame = ParseFrame(line); frame && state.Images.empty()) {
            state.Frames.push_back(std::move(*frame));
            last = TLast::Frame;
        } else if (auto image = ParseImage(line, withFrames)) {
            state.Images.push_back(std::move(*image));
            last = TLast::Image;
        } else {
            return std::nullopt;
        }
    }
    if (last == TLast::Image) return std::nullopt;
    return state;
}

} // namespace orv
