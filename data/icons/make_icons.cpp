// orvanel-make-icons OUT_DIR SIZE...: writes the program's icon, drawn by the same code as the
// about box and the window icons, as OUT_DIR/<size>x<size>/apps/orvanel.png for the hicolor
// theme. Needs no screen.
#include "ui/shell/tool_icons.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: orvanel-make-icons OUT_DIR SIZE...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (size < 8 || size > 1024 || !out.mkpath(folder) ||
            !orv::ui::DrawPicture(orv::ui::TPicture::AboutIcon, size)
                 .save(out.filePath(folder + "/orvanel.png"))) {
            std::fprintf(stderr, "orvanel-make-icons: cannot write the %s pixel icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
