// The command-line tool's frame: verbs register themselves; each parses its own arguments.
#pragma once

#include "core/base/bitmap.h"
#include "core/image/auto_display.h"
#include "core/image/debayer.h"
#include "core/image/document_host.h"
#include "core/image/image_document.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orv::cli {

// A mistake in the command line: exit status 2.
class EUsage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TVerb {
    std::string Name;
    std::string Summary; // one line for the tool's --help
    std::string Help;    // the verb's --help
    int (*Run)(const std::vector<std::string>& args);
};

const std::vector<TVerb>& Verbs();

struct TVerbRegistrar {
    explicit TVerbRegistrar(TVerb verb);
};

// Arguments split into positionals and options; flags listed in `flags` take no value.
struct TArgs {
    std::vector<std::string> Positional;
    std::vector<std::pair<std::string, std::string>> Options; // in command-line order
    bool Has(const std::string& name) const;
    std::optional<std::string> Get(const std::string& name) const;
};
TArgs ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                const std::vector<std::string>& valued);

// Answers the reader's questions with --yes (else No); messages go to standard error, or
// into Collected when it is given (files read on several threads report in file order).
class TCliHost : public TDocumentHost {
  public:
    explicit TCliHost(bool yes, std::string* collected = nullptr) : Yes(yes), Collected(collected) {}
    TAnswer Message(TMsgKind kind, TButtons buttons, const std::string& text) override;
    void Progress(const std::string& label, float fraction) override;
    bool Yes;
    std::string* Collected;
    bool Reported = false; // a message was already shown for this load
};

// Whether standard error is a terminal: progress is shown only there.
bool ErrorIsTerminal();

// Opens FILE into doc (frame `frame` from 0 of a series); a refused or unreadable file throws
// EOrvanelError (exit 1) unless its message was already reported by the reader (then the text
// is empty).
void OpenDocument(TImageDocument& doc, const std::string& path, TCliHost& host, uint32_t frame = 0);

// --frame K, counted from 1 (default 1), as an index from 0; a usage error for another text.
uint32_t FrameOption(const TArgs& args);

// The image a one-file verb works on: its first positional, opened with the answers --yes
// gives (the frame --frame names, when the verb takes it: beyond the file's frames is a usage
// error), and the host that keeps answering for it.
struct TOneImage {
    explicit TOneImage(const TArgs& args);
    TCliHost Host;
    TImageDocument Doc;
};

// The value of an option that takes a whole number in low..high, `otherwise` when it is not
// given; a usage error for another text.
int32_t WholeOption(const TArgs& args, const std::string& name, int32_t low, int32_t high, int32_t otherwise);

// The display options shared by render, convert, animate and info, applied in their fixed
// order: palette, typed thresholds, preset or automatic display, display function, inversion.
struct TRenderOptions {
    std::optional<std::string> Palette, Low, High, Preset;
    bool Invert = false;
    std::optional<TDisplayFunction> Stretch;
    std::optional<TAutoDisplay> Auto;
    TDebayer Debayer = TDebayer::Bilinear; // how a mosaic is shown: no change to the values
    bool Any() const { return Palette || Low || High || Preset || Invert || Stretch || Auto; }
};
// --stretch linear|sqrt|log|asinh; a usage error for another name.
std::optional<TDisplayFunction> StretchOption(const TArgs& args);
TRenderOptions RenderOptionsFrom(const TArgs& args);
// --debayer bilinear|superpixel|none (default bilinear); a usage error for another name.
TDebayer DebayerOption(const TArgs& args);
// The 24-bit picture a colour document shows with its display (the render options applied),
// its mosaic debayered as the options say; an automatic display is computed channel by channel.
// Nothing for a grey document or a mosaic seen as it is (none).
std::optional<TBitmap> ColourDisplay(const TImageDocument& doc, const TRenderOptions& options);
// The display of each channel (red, green, blue) of a colour document's planes: the document's
// own for all three, or with --auto one computed on each channel's values.
std::array<TDisplaySettings, 3> ChannelDisplays(const TImageDocument& doc, const TColourPlanes& planes,
                                                const TRenderOptions& options);
const std::vector<std::string>& RenderValuedOptions();
// A preset reads `planes` when they are given (a colour frame's region), else the document.
void ApplyRenderOptions(TImageDocument& doc, const TRenderOptions& options, TCliHost& host,
                        const TColourPlanes* planes = nullptr);

} // namespace orv::cli
