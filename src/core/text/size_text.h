// Measures as the windows and messages show them to the user, French style: a decimal comma,
// three significant digits (never fewer than the whole part), and file sizes in octets, Ko
// and Mo (powers of 1000).
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// 31.37 -> "31,4", 8224.1 -> "8224", 0.06127 -> "0,0613", 2 -> "2".
std::string CommaNumber(double v);

// 640 -> "640 octets", 12345 -> "12,3 Ko", 12345678 -> "12,3 Mo".
std::string SizeText(uint64_t bytes);

} // namespace orv
