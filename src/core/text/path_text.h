// File-name pieces, as the program shows and derives them. The separator is "/".
#pragma once

#include <string>

namespace orv {

// The name without its directory.
std::string ExtractFileName(const std::string& path);

// The directory with its trailing separator ("" when the path has none).
std::string ExtractFilePath(const std::string& path);

// From the last "." of the name part on, dot included ("" when the name has none).
std::string ExtractFileExt(const std::string& path);

// ASCII upper case (extension tests).
std::string UpperCase(const std::string& s);

// The name with ext appended when its name part has no ".".
std::string WithDefaultExtension(const std::string& path, const std::string& ext);

// ".fit", ".fts" or ".fits", in any letter case.
bool HasFitsExtension(const std::string& path);

// A FITS name followed by ".gz" (m31.fits.gz), in any letter case.
bool IsGzipFitsName(const std::string& path);

// A name ending in ".fz", a tile-compressed FITS file, in any letter case.
bool IsTileCompressedName(const std::string& path);

// The name without its last extension (from the last "." of the name part on).
std::string WithoutExtension(const std::string& path);

} // namespace orv
