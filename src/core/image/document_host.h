// What an image document asks of whoever holds it while it loads: the image window in the
// program, the command-line tool, a test. Every call has a harmless default.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

enum class TMsgKind { Warning, Error, Information, Confirmation };
enum class TButtons { Ok, YesNo, YesNoAll };
enum class TAnswer { Ok, Yes, No, All, Cancel };

class TDocumentHost {
  public:
    virtual ~TDocumentHost() = default;

    // A message box: kind gives the caption ("Avertissement", "Erreur", ...). Lines are "\n".
    virtual TAnswer Message(TMsgKind kind, TButtons buttons, const std::string& text) {
        (void)kind, (void)text;
        return buttons == TButtons::Ok ? TAnswer::Ok : TAnswer::No;
    }
    // The loaded image's thresholds, for the threshold dialog.
    virtual void PushThresholds(double high, double low) { (void)high, (void)low; }
    // The animation builder's "Ajouter l'image courante".
    virtual void SetBitAjoutEnabled(bool enabled) { (void)enabled; }
    // The main window's enabling rule, run at the end of every reader.
    virtual void UpdateImageTools() {}
    // The document's bitmap changed: show it (the window's ShowImage).
    virtual void ShowImage() {}
    // The caption changed.
    virtual void CaptionChanged(const std::string& caption) { (void)caption; }
    // Progress of long work, 0..1 (hidden above 0.9999), with a text describing the step.
    virtual void Progress(const std::string& label, float fraction) { (void)label, (void)fraction; }
};

} // namespace orv
