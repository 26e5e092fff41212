#include "core/formats/gzip_stream.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace orv {

struct TGzipInflater::TState {
    z_stream z{};
    std::span<const uint8_t> input;
    uint64_t consumed = 0;
    bool ended = false;
};

namespace {

// zlib counts in 32-bit units: feed it the input and take its output in pieces.
constexpr size_t kMaxPiece = size_t(1) << 30;

} // namespace

TGzipInflater::TGzipInflater(std::span<const uint8_t> compressed) : state_(std::make_unique<TState>()) {
    state_->input = compressed;
    // 16 + 15: a gzip wrapper and the largest window.
    if (inflateInit2(&state_->z, 16 + MAX_WBITS) != Z_OK) throw EGzipError("mémoire insuffisante pour gzip");
}

TGzipInflater::~TGzipInflater() {
    inflateEnd(&state_->z);
}

size_t TGzipInflater::Read(uint8_t* dst, size_t n) {
    TState& s = *state_;
    size_t produced = 0;
    while (produced < n && !s.ended) {
        if (s.z.avail_in == 0) {
            const size_t left = s.input.size() - static_cast<size_t>(s.consumed);
            if (left == 0) throw EGzipError("flux gzip incomplet");
            s.z.next_in = const_cast<Bytef*>(s.input.data() + s.consumed);
            s.z.avail_in = static_cast<uInt>(std::min(left, kMaxPiece));
            s.consumed += s.z.avail_in;
        }
        s.z.next_out = dst + produced;
        s.z.avail_out = static_cast<uInt>(std::min(n - produced, kMaxPiece));
        const uInt before = s.z.avail_out;
        const int status = inflate(&s.z, Z_NO_FLUSH);
        produced += before - s.z.avail_out;
        if (status == Z_STREAM_END) {
            // Another member may follow; what is left is only zeros (a padded tape block) or nothing.
            const uint64_t rest = s.z.avail_in + (s.input.size() - s.consumed);
            const uint8_t* next = s.input.data() + (s.input.size() - rest);
            if (rest >= 2 && LooksLikeGzip(std::span<const uint8_t>(next, 2))) {
                if (inflateReset(&s.z) != Z_OK) throw EGzipError("données gzip incorrectes");
            } else {
                s.ended = true;
            }
        } else if (status == Z_BUF_ERROR) {
            if (s.z.avail_in == 0 && s.consumed == s.input.size()) throw EGzipError("flux gzip incomplet");
        } else if (status != Z_OK) {
            throw EGzipError(status == Z_MEM_ERROR ? "mémoire insuffisante pour gzip"
                                                   : "données gzip incorrectes");
        }
    }
    return produced;
}

bool TGzipInflater::Skip(uint64_t n) {
    std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(n, uint64_t(1) << 20)));
    while (n > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(n, scratch.size()));
        const size_t got = Read(scratch.data(), want);
        n -= got;
        if (got < want) return false;
    }
    return true;
}

uint64_t TGzipInflater::Consumed() const {
    return state_->consumed - state_->z.avail_in;
}

bool LooksLikeGzip(std::span<const uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

uint64_t MaxInflatedBytes(uint64_t compressedBytes) {
    constexpr uint64_t ratio = 1032;
    return compressedBytes > std::numeric_limits<uint64_t>::max() / ratio
               ? std::numeric_limits<uint64_t>::max()
               : compressedBytes * ratio;
}

std::vector<uint8_t> GzipCompress(std::span<const uint8_t> bytes) {
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EGzipError("mémoire insuffisante pour gzip");
    std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(std::min(bytes.size(), kMaxPiece))) + 64);
    size_t used = 0, fed = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0 && fed < bytes.size()) {
            const size_t piece = std::min(bytes.size() - fed, kMaxPiece);
            z.next_in = const_cast<Bytef*>(bytes.data() + fed);
            z.avail_in = static_cast<uInt>(piece);
            fed += piece;
        }
        if (out.size() - used < 65536) out.resize(out.size() + out.size() / 2 + 65536);
        z.next_out = out.data() + used;
        z.avail_out = static_cast<uInt>(std::min(out.size() - used, kMaxPiece));
        const uInt before = z.avail_out;
        status = deflate(&z, fed == bytes.size() ? Z_FINISH : Z_NO_FLUSH);
        used += before - z.avail_out;
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            deflateEnd(&z);
            throw EGzipError("compression gzip impossible");
        }
    }
    deflateEnd(&z);
    out.resize(used);
    return out;
}

} // namespace orv
