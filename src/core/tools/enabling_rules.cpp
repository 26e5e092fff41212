#include "core/tools/enabling_rules.h"

#include "core/image/image_document.h"

#include <initializer_list>

namespace orv {

namespace {

void Set(std::vector<TControlState>& out, std::string_view window,
         std::initializer_list<std::string_view> controls, bool enabled) {
    for (std::string_view c : controls)
        out.push_back({window, c, enabled});
}

} // namespace

bool HasRawValues(uint8_t kind) {
    return kind != kKindGif && kind != kKindBmp && kind != kKindEmpty;
}

std::vector<TControlState> MenuItemsRule(int windowCount, std::optional<uint8_t> activeKind) {
    const bool any = windowCount > 0;
    const bool raw = any && activeKind && HasRawValues(*activeKind);
    std::vector<TControlState> out;
    Set(out, "FormMain",
        {"FileCloseItem", "FileSaveItem", "SaveBtn", "WindowCascadeItem", "WindowTileItem",
         "WindowArrangeItem", "WindowMinimizeItem", "ZoomAvant1", "ZoomArriere1", "TailleReelle1",
         "AjusterImage1"},
        any);
    Set(out, "FormMain", {"SpeedStat", "SpeedSeuils", "SpeedPal"}, raw);
    Set(out, "FormSeuils",
        {"Invert",          "Stel",        "Planet",      "editsh",     "Editsb",      "ScrollBarsh",
         "ScrollBarsb",     "Fast",        "Normal",      "Slow",       "ButtonLummm", "ButtonLumm",
         "ButtonLump",      "ButtonLumpp", "ButtonConmm", "ButtonConm", "ButtonConp",  "ButtonConpp",
         "DisplayFunction", "Histogram",   "AutoZscale",  "AutoMtf"},
        raw);
    Set(out, "FormMain", {"SpeedPrint"}, any);
    Set(out, "FormCreeAnim", {"BitAjout"}, any);
    Set(out, "FormMain",
        {"Toutenrgistrer1", "Toutfermer1", "Imprimer1", "Dupliquer1", "EnregistrersousGif1", "Palettes1",
         "RglagesdesSeuils1"},
        any);
    Set(out, "FormMain", {"Comparer1"}, windowCount > 1);
    // The header window shows FITS headers (CPA images have one once read).
    Set(out, "FormMain", {"EnteteFITS1"}, any && activeKind == kKindFits);
    return out;
}

std::vector<TControlState> ImageToolsRule(std::optional<uint8_t> currentKind) {
    const bool raw = currentKind && HasRawValues(*currentKind);
    std::vector<TControlState> out;
    Set(out, "FormMain", {"RglagesdesSeuils1", "Palettes1", "SpeedPal", "SpeedSeuils", "SpeedStat"}, raw);
    Set(out, "FormPal", {"FileListBox1"}, raw);
    Set(out, "FormSeuils",
        {"Invert",          "Stel",        "Planet",        "Fast",        "Normal",      "Slow",
         "editsh",          "Editsb",      "ScrollBarsh",   "ScrollBarsb", "ButtonLummm", "ButtonLumm",
         "ButtonLump",      "ButtonLumpp", "ButtonConmm",   "ButtonConm",  "ButtonConp",  "ButtonConpp",
         "DisplayFunction", "Histogram",   "LabelFunction", "GroupBox1",   "SH",          "SB",
         "Label4",          "LabelCont",   "AutoZscale",    "AutoMtf"},
        raw);
    Set(out, "FormMain", {"EnteteFITS1"}, currentKind == kKindFits);
    return out;
}

std::vector<TControlState> MainWindowStartRule() {
    std::vector<TControlState> out;
    Set(out, "FormMain",
        {"FileCloseItem",     "FileSaveItem",       "SaveBtn",     "WindowCascadeItem", "WindowTileItem",
         "WindowArrangeItem", "WindowMinimizeItem", "ZoomAvant1",  "ZoomArriere1",      "TailleReelle1",
         "AjusterImage1",     "SpeedStat",          "SpeedSeuils", "SpeedPal",          "SpeedPrint",
         "Toutenrgistrer1",   "Toutfermer1",        "Imprimer1",   "Dupliquer1",        "EnregistrersousGif1",
         "Palettes1",         "RglagesdesSeuils1",  "EnteteFITS1"},
        false);
    return out;
}

} // namespace orv
