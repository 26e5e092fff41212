// Random access to the bytes of a file without holding them: a reader asks for the piece it
// needs at the offset it needs (a frame of a video file, a block after a header), so that a
// file of many gigabytes is read in flat memory. One source may be read from several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orv {

class TByteSource {
  public:
    virtual ~TByteSource() = default;
    // The source's size in bytes, fixed when it was opened.
    virtual uint64_t Size() const = 0;
    // Bytes from offset into out; fewer (the count read is returned) only at the end.
    virtual size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const = 0;

    // Exactly out.size() bytes from offset, or false (out then holds what was there, zeros after).
    bool ReadExactly(uint64_t offset, std::span<uint8_t> out) const;
    // Up to n bytes from offset, as many as there are.
    std::vector<uint8_t> Read(uint64_t offset, size_t n) const;
};

// A file opened for reading; throws EFileError "Ne peut ouvrir le fichier <path>".
std::shared_ptr<const TByteSource> OpenFileSource(const std::string& path);

// Bytes already in memory, which must outlive the source.
std::shared_ptr<const TByteSource> MemorySource(std::span<const uint8_t> bytes);

} // namespace orv
