// orvanel-cli: the image document, the formats, the display pipeline and the GIF
// machinery without a window.
#include "cli/cli.h"

#include "core/base/errors.h"
#include "core/base/version.h"

#include <clocale>
#include <cstring>
#include <iostream>

using namespace orv::cli;

namespace {

void PrintToolHelp(std::ostream& out) {
    out << "Usage: orvanel-cli VERB [ARGS...]\n"
           "Works on astronomical CCD images (FITS, XISF, SER videos, PIC, CPA, BMP, GIF) without a\n"
           "window.\n\n"
           "Verbs:\n";
    for (const TVerb& v : Verbs()) {
        out << "  " << v.Name << std::string(v.Name.size() < 10 ? 10 - v.Name.size() : 1, ' ') << v.Summary
            << "\n";
    }
    out << "\nCommon options:\n"
           "  --yes      answer Yes when a doubtful file asks \"Voulez vous essayer de l'ouvrir ?\"\n"
           "  --help     this text, or a verb's own help after the verb\n"
           "  --version  the version\n\n"
           "Exit status: 0 done, 1 the file was refused or the operation failed, 2 usage error.\n\n"
           "Series: a SER video gives its frames, a FITS cube its planes (--frame K, and animate\n"
           "takes them all). SER writers disagree on the header's LittleEndian field: it is read\n"
           "as most of them write it, 0 for little-endian 16-bit values and any other value for\n"
           "big-endian ones, so files of either byte order open.\n";
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C"); // "." is the decimal separator, always
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintToolHelp(std::cerr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintToolHelp(std::cout);
        return 0;
    }
    if (args[0] == "--version") {
        std::cout << "orvanel-cli " << orv::kOrvanelVersion << "\n";
        return 0;
    }
    for (const TVerb& verb : Verbs()) {
        if (verb.Name != args[0]) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        for (const std::string& a : rest)
            if (a == "--help" || a == "-h") {
                std::cout << verb.Help;
                return 0;
            }
        try {
            return verb.Run(rest);
        } catch (const EUsage& e) {
            std::cerr << "orvanel-cli " << verb.Name << ": " << e.what() << "\n"
                      << "Try 'orvanel-cli " << verb.Name << " --help'.\n";
            return 2;
        } catch (const std::bad_alloc&) {
            std::cerr << "Mémoire insuffisante\n";
            return 1;
        } catch (const std::exception& e) {
            if (std::strlen(e.what()) > 0) std::cerr << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "orvanel-cli: unknown verb '" << args[0] << "'\nTry 'orvanel-cli --help'.\n";
    return 2;
}
