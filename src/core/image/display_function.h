// The display functions: how a value strictly between the two thresholds becomes one of the
// 256 levels. Linear is the display the program has always had; the others lift faint values
// so that nebulosity and a bright nucleus show together. Values at or beyond a threshold are
// decided by the comparisons of the display pipeline, whatever the function.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

enum class TDisplayFunction : uint8_t { Linear, Sqrt, Log, Asinh };

inline constexpr TDisplayFunction kDisplayFunctions[] = {TDisplayFunction::Linear, TDisplayFunction::Sqrt,
                                                         TDisplayFunction::Log, TDisplayFunction::Asinh};

// 255 f(t) rounded half to even, t = (v - low) / (high - low): f(t) = t, sqrt(t),
// ln(1 + 1000 t) / ln(1001) or asinh(10 t) / asinh(10). Linear keeps its historical form
// (v - low) * 255 / (high - low), so that its levels never move.
uint8_t FunctionLevel(TDisplayFunction function, long double v, long double low, long double high);

// The command line's names: "linear", "sqrt", "log", "asinh".
std::string_view DisplayFunctionName(TDisplayFunction function);
std::optional<TDisplayFunction> DisplayFunctionNamed(std::string_view name);

// The threshold dialog's captions: "Linéaire", "Racine carrée", "Logarithme", "Asinh".
std::string_view DisplayFunctionCaption(TDisplayFunction function);

} // namespace orv
