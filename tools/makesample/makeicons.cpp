// Renders the application icon from its SVG into the PNG sizes of the hicolor icon theme:
// OUT/NxN/apps/quarvel-flash.png for every size asked for, and the SVG itself as
// OUT/scalable/apps/quarvel-flash.svg.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: makeicons ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "makeicons: %s is not a usable SVG picture\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "makeicons: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter, QRectF(0, 0, size, size));
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = out.filePath(folder + QStringLiteral("/quarvel-flash.png"));
        if (!QDir().mkpath(out.filePath(folder)) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "makeicons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString scalable = out.filePath(QStringLiteral("scalable/apps/quarvel-flash.svg"));
    QDir().mkpath(out.filePath(QStringLiteral("scalable/apps")));
    QFile::remove(scalable);
    if (!QFile::copy(source, scalable)) {
        std::fprintf(stderr, "makeicons: cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}
