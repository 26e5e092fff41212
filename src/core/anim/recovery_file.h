// What a crash must not lose, as a small text file: the animation builder's unsaved frame list
// (each frame's file, delay and display, in order, and the animation's options) and the modified
// images (file, display settings and zoom). Pixels are never written: everything is opened again
// from its file. Reading trusts nothing: a file cut short, or with one line that is not exactly
// as written, gives nothing at all rather than a part of the work.
#pragma once

#include "core/anim/anim_options.h"
#include "core/image/display_settings.h"
#include "core/image/zoom.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TRecoveredFrame {
    std::string Path; // the file the frame was made from
    int32_t GifImage =
        -1; // its image in an animated GIF file, or its frame in a video or a cube; -1 otherwise
    uint16_t Delay = 0;
    std::optional<TDisplaySettings> Display; // the image's display when the frame was made
    bool operator==(const TRecoveredFrame&) const = default;
};

struct TRecoveredImage {
    std::string Path;
    TDisplaySettings Display;
    TZoom Zoom;
    uint32_t Frame = 0; // its frame (from 0) in a video or a cube
    bool operator==(const TRecoveredImage&) const = default;
};

// The program that wrote the file: while it runs, its file is its own.
struct TRecoveryOwner {
    int64_t Process = 0;
    uint64_t StartTicks = 0; // its start after the boot, 0 when unknown
    std::string Boot;        // the boot's identifier, empty when unknown
    bool operator==(const TRecoveryOwner&) const = default;
};

struct TRecoveryState {
    TRecoveryOwner Owner;
    std::vector<TRecoveredFrame> Frames;
    TAnimOptions Options;
    std::vector<TRecoveredImage> Images;
    bool operator==(const TRecoveryState&) const = default;

    // Nothing to recover: no unsaved frame, no modified image.
    bool Empty() const { return Frames.empty() && Images.empty(); }
};

// The file's largest size and longest list: beyond them a file is not one of ours.
inline constexpr size_t kMaxRecoveryBytes = 16 << 20;
inline constexpr size_t kMaxRecoveredItems = 100000;

std::string RecoveryText(const TRecoveryState& state);
// Nothing for a text that RecoveryText could not have written.
std::optional<TRecoveryState> ParseRecovery(std::string_view text);

} // namespace orv
