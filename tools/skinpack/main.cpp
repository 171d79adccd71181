// skinpack SRC_DIR OUT.(uskn|kskn|xskn|mskn): packs a skin from its sources. Another
// extension gets the Compressed form.
#include <QCoreApplication>
#include <cstdio>

#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"
#include "tools/skinpack/SkinSourceDir.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: skinpack SRC_DIR OUT.(uskn|kskn|xskn|mskn)\n");
        return 2;
    }
    try {
        const auto registry = skin::SkinClassRegistry::withStandardClasses();
        skin::TSeSkinSource source;
        skin::loadSkinSourceDir(source, QString::fromLocal8Bit(argv[1]), registry);
        skin::saveSkinFile(source, QString::fromLocal8Bit(argv[2]), registry);
        std::printf("%s: %zu bitmaps, %zu objects\n", argv[2], source.bitmaps().size(),
                    source.objects().size());
    } catch (const skin::SkinError& e) {
        std::fprintf(stderr, "skinpack: %s\n", e.what());
        return 1;
    }
    return 0;
}
