// Whole-file reads and safe writes. A write goes to a temporary file beside the target,
// which is renamed over it only once everything is on disk: a failed save leaves the old
// file as it was.
#pragma once

#include <cstdint>
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

// The whole file; throws EFileError "Ne peut ouvrir le fichier <path>".
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes bytes to path through a temporary file and a rename; throws EFileError.
void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

bool FileExists(const std::string& path);

} // namespace orv
