// The threshold dialog without a screen: its controls (two bars, two edit texts, the steps)
// and the current document's two thresholds, with what the dialog does to them when the
// user scrolls, types, or applies. The window copies its controls into a TThresholdState,
// calls one function, copies the state back and, when the function returned normally,
// renders and shows the document.
//
// Every function changes the state step by step as the dialog does; a conversion error
// (EConvertError) leaves the state as the dialog would be at that moment (an action that
// has stored the low threshold and then fails on the high text keeps the new low one), so
// the window copies the state back before reporting the error.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

inline constexpr int32_t kBarMin = -32768;
inline constexpr int32_t kBarMax = 32767;

enum class TSpeed { Fast, Normal, Slow };

struct TSteps {
    int32_t Small = 100;
    int32_t Large = 1000;
    bool operator==(const TSteps&) const = default;
};

// "Rapide" 400/4000, "Normale" 100/1000, "Lente" 1/10.
TSteps StepsOf(TSpeed speed);

struct TThresholdState {
    int32_t HighBar = 16383;        // ScrollBarsh position, always in kBarMin..kBarMax
    int32_t LowBar = 0;             // ScrollBarsb position
    std::string HighText = "16384"; // editsh
    std::string LowText = "0";      // Editsb
    TSteps Steps;
    double HighThreshold = 0; // the current document's
    double LowThreshold = 0;
};

// A bar position: clamped into kBarMin..kBarMax.
int32_t BarPosition(int64_t value);

// Inverted (negative display) when low >= high; equal thresholds count as inverted, an
// unordered pair (NaN) as normal.
bool IsInverted(double low, double high);
bool IsInverted(const TThresholdState& s);

// What a document does when it is activated or loaded: its thresholds, the bars at their
// rounded values, the edit texts with the exact values (FormatReal15).
void PushThresholds(TThresholdState& s, double high, double low);

// The single route to the document: LowText as a real number to LowThreshold, then
// HighText to HighThreshold. Throws EConvertError ("... n'est pas une valeur entière
// correcte") on a text that is not a number.
void ApplyThresholds(TThresholdState& s);

// Both edit texts from the bar positions, then apply: the end of every step and preset.
void ApplyBars(TThresholdState& s);

// Enter in an edit box. Only the outer bound is enforced: a low value below kBarMin becomes
// "-32768", a high value above kBarMax "32767"; the bar takes the value rounded and clamped,
// the document the value as typed otherwise. Then apply.
void EnterLow(TThresholdState& s, const std::string& text);
void EnterHigh(TThresholdState& s, const std::string& text);

// A scroll notification of a bar (arrow, page, thumb, end): the position to the edit text
// and the document, then apply.
void ScrollLow(TThresholdState& s, int32_t position);
void ScrollHigh(TThresholdState& s, int32_t position);

} // namespace orv
