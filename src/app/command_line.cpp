#include "command_line.h"

#include "core/base/version.h"

namespace orv::app {

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine line;
    bool optionsEnded = false;
    for (const QString& word : arguments) {
        if (optionsEnded || word == "-" || !word.startsWith('-'))
            line.Files << word;
        else if (word == "--")
            optionsEnded = true;
        else if (word == "--help" || word == "-h")
            line.Help = true;
        else if (word == "--version")
            line.Version = true;
        else if (word == "--check")
            line.Check = true;
        else if (line.Error.isEmpty())
            line.Error =
                QStringLiteral("orvanel : option inconnue « %1 »\nEssayez « orvanel --help ».").arg(word);
    }
    return line;
}

QString CommandLineHelp() {
    return QStringLiteral(
        "Utilisation : orvanel [--check] [FICHIER...]\n"
        "Affiche les images CCD astronomiques (FITS, XISF, vidéos SER, PIC, CPA, BMP, GIF)\n"
        "et en fait des animations GIF. Chaque FICHIER s'ouvre comme avec « Ouvrir » ; une\n"
        "vidéo SER ou un cube FITS ouvre sa première image.\n"
        "\n"
        "Options :\n"
        "  --check    ouvre les fichiers, écrit le dossier des palettes, les palettes\n"
        "             proposées et la légende de chaque image ouverte, puis quitte ;\n"
        "             les messages vont sur la sortie d'erreur, et le statut est alors 1\n"
        "  --help     cette aide\n"
        "  --version  la version du programme\n"
        "  --         la fin des options : la suite est faite de noms de fichiers\n"
        "\n"
        "Les palettes proposées sont les fichiers *.Pal du dossier de lancement, ou les\n"
        "palettes installées quand ce dossier n'en a pas. orvanel-cli fait le même travail\n"
        "sans fenêtre (orvanel-cli --help).\n");
}

QString VersionLine() {
    return QStringLiteral("orvanel ") +
           QString::fromUtf8(orv::kOrvanelVersion.data(), orv::kOrvanelVersion.size());
}

} // namespace orv::app
