// The display functions: how a value strictly between the two thresholds becomes one of the
// 256 levels. Linear is the display the program has always had; the others lift faint values
// so that nebulosity and a bright nucleus show together. Mtf, the midtones transfer function,
// takes a balance that the automatic display chooses so that the sky shows at a set level.
// Values at or beyond a threshold are decided by the comparisons of the display pipeline,
// whatever the function.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

enum class TDisplayFunction : uint8_t { Linear, Sqrt, Log, Asinh, Mtf };

inline constexpr TDisplayFunction kDisplayFunctions[] = {TDisplayFunction::Linear, TDisplayFunction::Sqrt,
                                                         TDisplayFunction::Log, TDisplayFunction::Asinh,
                                                         TDisplayFunction::Mtf};

// The balance with which Mtf is the identity.
inline constexpr double kNeutralMidtones = 0.5;

// The midtones transfer function of t in [0, 1] with balance b in [0, 1]:
// (b - 1) t / ((2b - 1) t - b); it keeps 0 and 1 and takes t = b to 1/2.
double MidtonesTransfer(double balance, double t);

// 255 f(t) rounded half to even, t = (v - low) / (high - low): f(t) = t, sqrt(t),
// ln(1 + 1000 t) / ln(1001), asinh(10 t) / asinh(10) or MidtonesTransfer(midtones, t).
// Linear keeps its historical form (v - low) * 255 / (high - low), so that its levels never
// move. Mtf is computed in doubles in the order of its formula: its balance comes from a
// value's place, and nice values (a median halfway) land on exact halves that more precision
// would tip the other way.
uint8_t FunctionLevel(TDisplayFunction function, long double v, long double low, long double high,
                      double midtones = kNeutralMidtones);

// The command line's names: "linear", "sqrt", "log", "asinh", "mtf".
std::string_view DisplayFunctionName(TDisplayFunction function);
std::optional<TDisplayFunction> DisplayFunctionNamed(std::string_view name);

// The threshold dialog's captions: "Linéaire", "Racine carrée", "Logarithme", "Asinh", "MTF".
std::string_view DisplayFunctionCaption(TDisplayFunction function);

} // namespace orv
