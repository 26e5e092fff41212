// Whole-file reads and safe writes. A write goes to a temporary file beside the target,
// which is renamed over it only once everything is on disk: a failed save leaves the old
// file as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orv {

// Sizes a buffer to n zero bytes. Large buffers are laid on huge pages where the system
// offers them on request: touching 32 MB a page of 4 KB at a time costs more than
// decoding an image into it.
void ResizeLargeBuffer(std::vector<uint8_t>& buffer, size_t n);

// Room for n bytes on huge pages as above, without touching it; the contents are dropped
// when the buffer has to grow.
void ReserveLargeBuffer(std::vector<uint8_t>& buffer, size_t n);

// A block of at least n bytes, aligned for any value and not cleared, laid on huge pages as
// above when it is large; the last owner frees it.
std::shared_ptr<double[]> LargeBlock(size_t n);

// The whole file; throws EFileError "Ne peut ouvrir le fichier <path>".
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes bytes to path through a temporary file and a rename; throws TAtomicFile's EFileError.
void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

bool FileExists(const std::string& path);

// A file written piece by piece to a temporary file beside the target, renamed over it by
// Commit once everything is on disk. Destroyed without Commit, the temporary file goes and
// the target stays as it was. Every failure throws EFileError "Ne peut écrire le fichier
// <path>" with the system's reason in French on a second line ("Plus de place sur le disque",
// "Permission refusée", "Système de fichiers en lecture seule", or the error's number).
class TAtomicFile {
  public:
    explicit TAtomicFile(std::string path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    void Append(std::span<const uint8_t> bytes);
    // Bytes written before, read back or written over in place.
    void ReadAt(uint64_t offset, std::span<uint8_t> bytes) const;
    void WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
    uint64_t Size() const { return size_; }
    void Commit();

  private:
    [[noreturn]] void Fail(int error) const;
    std::string path_, temp_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

} // namespace orv
