#include "core/base/file_io.h"

#include "core/base/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

// Writeback of each whole megabyte is started as soon as it is written, so that the fsync that
// keeps a save whole on disk has only the file's last megabyte left to wait for.
void StartWriteback(int fd, uint64_t from, uint64_t to) {
#ifdef SYNC_FILE_RANGE_WRITE
    constexpr uint64_t kStep = uint64_t{1} << 20;
    const uint64_t start = from / kStep * kStep, end = to / kStep * kStep;
    if (end > start) ::sync_file_range(fd, off_t(start), off_t(end - start), SYNC_FILE_RANGE_WRITE);
#else
    (void)fd, (void)from, (void)to;
#endif
}

// The system's reason for a failed write, in French.
std::string WriteFailureReason(int error) {
    switch (error) {
    case ENOSPC:
        return "Plus de place sur le disque";
    case EDQUOT:
        return "Quota de disque dépassé";
    case EACCES:
    case EPERM:
        return "Permission refusée";
    case EROFS:
        return "Système de fichiers en lecture seule";
    case ENOENT:
    case ENOTDIR:
        return "Dossier introuvable";
    case EISDIR:
        return "Un dossier porte ce nom";
    case EFBIG:
        return "Fichier trop grand pour ce système de fichiers";
    case EIO:
        return "Erreur d'entrée-sortie du disque";
    default:
        return "Erreur du système (code " + std::to_string(error) + ")";
    }
}

} // namespace

void ReserveLargeBuffer(std::vector<uint8_t>& buffer, size_t n) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    if (n >= 4 * kHugePage && buffer.capacity() < n) {
        buffer.clear();
        buffer.shrink_to_fit();
        buffer.reserve(n);
#ifdef MADV_HUGEPAGE
        const uintptr_t at = reinterpret_cast<uintptr_t>(buffer.data());
        const uintptr_t first = (at + kHugePage - 1) & ~(kHugePage - 1);
        const uintptr_t last = (at + n) & ~(kHugePage - 1);
        // A hint only: where the system declines, the buffer is the same, on small pages.
        if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
    }
}

std::shared_ptr<double[]> LargeBlock(size_t n) {
    constexpr size_t kHugePage = size_t{2} << 20;
    if (n < 4 * kHugePage) return std::shared_ptr<double[]>(new double[std::max<size_t>(n, 1) / 8 + 1]);
    const size_t whole = (n + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, whole);
    if (!block) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(block, whole, MADV_HUGEPAGE); // a hint only, as above
#endif
    return std::shared_ptr<double[]>(static_cast<double*>(block), [](double* p) { std::free(p); });
}

void ResizeLargeBuffer(std::vector<uint8_t>& buffer, size_t n) {
    ReserveLargeBuffer(buffer, n);
    buffer.assign(n, 0);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw CannotOpenFile(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw CannotOpenFile(path);
    }
    std::vector<uint8_t> bytes;
    ResizeLargeBuffer(bytes, static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done); // a file that shrank while being read gives what was there
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    TAtomicFile file(path);
    file.Append(bytes);
    file.Commit();
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TAtomicFile::TAtomicFile(std::string path) : path_(std::move(path)), temp_(path_ + ".orvanel-tmp") {
    fd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) Fail(errno);
}

TAtomicFile::~TAtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void TAtomicFile::Fail(int error) const {
    throw EFileError("Ne peut écrire le fichier " + path_ + "\n" + WriteFailureReason(error));
}

void TAtomicFile::Append(std::span<const uint8_t> bytes) {
    WriteAt(size_, bytes);
}

void TAtomicFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        // Nothing written and no error: the device has no room left.
        if (n <= 0) Fail(n < 0 ? errno : ENOSPC);
        done += size_t(n);
    }
    const uint64_t before = size_;
    size_ = std::max<uint64_t>(size_, offset + bytes.size());
    if (size_ > before) StartWriteback(fd_, before, size_);
}

void TAtomicFile::ReadAt(uint64_t offset, std::span<uint8_t> bytes) const {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd_, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(n < 0 ? errno : EIO);
        done += size_t(n);
    }
}

void TAtomicFile::Commit() {
    // Some file systems (NFS, a full disk with delayed allocation) report a failed write only
    // here: the first error is the reason.
    int error = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error == 0 && std::rename(temp_.c_str(), path_.c_str()) == 0) return;
    if (error == 0) error = errno;
    ::unlink(temp_.c_str());
    Fail(error);
}

} // namespace orv
