// What an image document asks of whoever holds it while it loads: the answers to its questions,
// the warnings and errors it shows, its progress. The image window in the program, the
// command-line tool and the tests hold one; every call has a harmless default.
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
    // Progress of long work, 0..1 (hidden above 0.9999), with a text describing the step.
    virtual void Progress(const std::string& label, float fraction) { (void)label, (void)fraction; }
};

} // namespace orv
