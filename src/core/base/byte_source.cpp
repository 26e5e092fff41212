#include "core/base/byte_source.h"

#include "core/base/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

class TFileSource : public TByteSource {
  public:
    TFileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    ~TFileSource() override { ::close(fd_); }
    TFileSource(const TFileSource&) = delete;
    TFileSource& operator=(const TFileSource&) = delete;

    uint64_t Size() const override { return size_; }
    size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const override {
        size_t done = 0;
        while (done < out.size() && offset + done < size_) {
            const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, off_t(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += size_t(n);
        }
        return done;
    }

  private:
    int fd_;
    uint64_t size_;
};

class TMemorySource : public TByteSource {
  public:
    explicit TMemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const override {
        if (offset >= bytes_.size()) return 0;
        const size_t n = std::min<uint64_t>(out.size(), bytes_.size() - offset);
        if (n > 0) std::memcpy(out.data(), bytes_.data() + offset, n);
        return n;
    }

  private:
    std::span<const uint8_t> bytes_;
};

} // namespace

bool TByteSource::ReadExactly(uint64_t offset, std::span<uint8_t> out) const {
    const size_t n = ReadAt(offset, out);
    if (n < out.size()) std::fill(out.begin() + std::ptrdiff_t(n), out.end(), uint8_t{0});
    return n == out.size();
}

std::vector<uint8_t> TByteSource::Read(uint64_t offset, size_t n) const {
    const uint64_t size = Size();
    std::vector<uint8_t> bytes(offset < size ? size_t(std::min<uint64_t>(n, size - offset)) : 0);
    bytes.resize(ReadAt(offset, bytes));
    return bytes;
}

std::shared_ptr<const TByteSource> OpenFileSource(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw CannotOpenFile(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw CannotOpenFile(path);
    }
    return std::make_shared<TFileSource>(fd, uint64_t(st.st_size));
}

std::shared_ptr<const TByteSource> MemorySource(std::span<const uint8_t> bytes) {
    return std::make_shared<TMemorySource>(bytes);
}

} // namespace orv
