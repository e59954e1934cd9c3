// Writes the application icon into a hicolor icon tree, once for the program and once for its
// model file type: FOLDER/hicolor/SIZExSIZE/{apps/lathwork,mimetypes/application-x-lathwork-opt}.png
#include "app/Artwork.hpp"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fputs("usage: lathwork-render-icon FOLDER SIZE...\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "lathwork-render-icon: bad size \"%s\"\n", argv[i]);
            return 2;
        }
        const QImage picture = lathwork::app::ApplicationPicture(size);
        const QString sizeFolder = QStringLiteral("%1/hicolor/%2x%2/").arg(root).arg(size);
        const QString files[] = {sizeFolder + QStringLiteral("apps/lathwork.png"),
                                 sizeFolder + QStringLiteral("mimetypes/application-x-lathwork-opt.png")};
        for (const QString& file : files) {
            if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !picture.save(file, "PNG")) {
                std::fprintf(stderr, "lathwork-render-icon: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
