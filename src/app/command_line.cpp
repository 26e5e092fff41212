#include "command_line.h"

#include "core/base/version.h"

namespace orv::app {

namespace {

QString Refusal(const QString& what) {
    return QStringLiteral("orvanel : %1\nEssayez « orvanel --help ».").arg(what);
}

} // namespace

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
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
        else if (word == "--auto" || word.startsWith("--auto=")) {
            const QString name =
                word == "--auto" ? (++i < arguments.size() ? arguments[i] : QString()) : word.mid(7);
            line.Auto = orv::AutoDisplayNamed(name.toStdString());
            if (!line.Auto && line.Error.isEmpty())
                line.Error = Refusal(QStringLiteral("--auto prend zscale ou mtf"));
        } else if (line.Error.isEmpty())
            line.Error = Refusal(QStringLiteral("option inconnue « %1 »").arg(word));
    }
    return line;
}

QString CommandLineHelp() {
    return QStringLiteral(
        "Utilisation : orvanel [--check] [--auto zscale|mtf] [FICHIER...]\n"
        "Affiche les images CCD astronomiques (FITS, XISF, vidéos SER, PIC, CPA, BMP, GIF)\n"
        "et en fait des animations GIF. Chaque FICHIER s'ouvre comme avec « Ouvrir » ; une\n"
        "vidéo SER ou un cube FITS ouvre sa première image.\n"
        "\n"
        "Options :\n"
        "  --check    ouvre les fichiers, écrit le dossier des palettes, les palettes\n"
        "             proposées et la légende de chaque image ouverte, puis quitte ;\n"
        "             les messages vont sur la sortie d'erreur, et le statut est alors 1\n"
        "  --auto zscale|mtf\n"
        "             les images s'ouvrent avec cet affichage automatique (seuils zscale,\n"
        "             ou seuils et fonction MTF) pour cette fois, quel que soit le choix\n"
        "             « Affichage à l'ouverture » du menu Visualisation\n"
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
