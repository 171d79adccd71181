// skindump SKIN [--render DIR]: prints a skin's header strings, its bitmaps with their sizes
// and its object trees with their properties. A file that is not a registered skin extension
// is read as a SkinStream property value. With --render every top-level object is also drawn
// in the states normal, hot, focused, pressed and disabled into DIR/<name>.png.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <new>

#include "skin/format/ObjectStreamer.h"
#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"
#include "skin/format/TSeSkinFilter.h"
#include "skin/format/TextForm.h"

namespace {

skin::ObjectRecord treeRecord(const skin::TSeSkinObject& object) {
    skin::ObjectRecord rec;
    rec.className = object.className();
    rec.name = object.name();
    object.writeProperties(rec.properties);
    for (const auto& c : object.children())
        rec.children.push_back(treeRecord(*c));
    return rec;
}

void dump(const skin::TSeSkinSource& source) {
    std::printf("SkinName    = '%s'\n", source.SkinName.c_str());
    std::printf("SkinVersion = '%s'\n", source.SkinVersion.c_str());
    std::printf("Author      = '%s'\n", source.Author.c_str());
    std::printf("AuthorEMail = '%s'\n", source.AuthorEMail.c_str());
    std::printf("AuthorURL   = '%s'\n", source.AuthorURL.c_str());
    std::printf("\n%zu bitmaps\n", source.bitmaps().size());
    for (const auto& b : source.bitmaps())
        std::printf("  %-24s %d x %d\n", b->name().c_str(), b->width(), b->height());
    std::printf("\n%zu objects\n", source.objects().size());
    for (const auto& o : source.objects()) {
        std::string text = skin::textform::write(treeRecord(*o));
        std::string::size_type at;
        while ((at = text.find('\r')) != std::string::npos)
            text.erase(at, 1);
        std::fputs(text.c_str(), stdout);
    }
}

void render(const skin::TSeSkinSource& source, const QString& dir) {
    QDir().mkpath(dir);
    const QString sample = QString::fromUtf8("\u64ad\u653e\u5217\u8868 Play");
    const std::uint8_t states[] = {0, 5, 7, 6, 8};
    for (const auto& object : source.objects()) {
        const bool isForm = object->Kind == skin::TSeKind::skForm;
        const int w = isForm ? 420 : std::max(object->width(), 40);
        const int h = isForm ? 260 : std::max(object->height(), 12);
        const int copies = isForm ? 2 : 5;
        QImage sheet((w + 12) * copies + 12, h + 24, QImage::Format_RGB32);
        sheet.fill(QColor(0xF5, 0xF6, 0xF8));
        QPainter painter(&sheet);
        for (int i = 0; i < copies; ++i) {
            auto copy = object->clone();
            copy->setBounds(0, 0, w, h);
            copy->forEachInTree([&](skin::TSeSkinObject& part) {
                static const char* const textParts[] = {"Text",  "Title", "Item",
                                                        "Panel", "Tab",   "Section"};
                bool carriesText = false;
                for (const char* n : textParts)
                    carriesText = carriesText || part.name() == n;
                if (carriesText)
                    part.setText(part.Kind == skin::TSeKind::skTitle
                                     ? QString::fromUtf8("Quarvel Flash \u64ad\u653e\u5668")
                                     : sample);
            });
            if (isForm) {
                copy->setActive(i == 0);
                copy->setState(0);
            } else {
                copy->setState(states[i]);
                copy->setEnabled(states[i] != 8);
                copy->forEachInTree(
                    [&](skin::TSeSkinObject& part) { part.setEnabled(states[i] != 8); });
            }
            painter.save();
            painter.translate(12 + i * (w + 12), 12);
            copy->draw(painter);
            painter.restore();
        }
        painter.end();
        sheet.save(QDir(dir).filePath(QString::fromStdString(object->name()) + ".png"));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool rendering = argc == 4 && std::string(argv[2]) == "--render";
    if (argc != 2 && !rendering) {
        std::fprintf(stderr, "usage: skindump SKIN [--render DIR]\n");
        return 2;
    }
    const auto registry = skin::SkinClassRegistry::withStandardClasses();
    skin::TSeSkinSource source;
    const QString path = QString::fromLocal8Bit(argv[1]);
    try {
        if (skin::skinFilterForFile(path, source, registry)) {
            if (!skin::loadSkinFile(source, path, registry, QString()))
                throw skin::SkinError("no such skin file: " + path.toStdString());
        } else {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                throw skin::SkinError("cannot open " + path.toStdString());
            if (!skin::readSkinStream(source, f.readAll(), registry))
                std::printf("(the SkinStream value holds no skin)\n");
        }
    } catch (const skin::SkinError& e) {
        dump(source);
        std::fprintf(stderr, "skindump: %s\n", e.what());
        return 1;
    } catch (const std::bad_alloc&) {
        // Whatever was read is dropped first: printing it needs memory too.
        source.clear();
        std::fprintf(stderr, "skindump: out of memory while reading %s\n", argv[1]);
        return 1;
    }
    try {
        dump(source);
        if (rendering)
            render(source, QString::fromLocal8Bit(argv[3]));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "skindump: out of memory while %s %s\n",
                     rendering ? "drawing" : "printing", argv[1]);
        return 1;
    }
    return 0;
}
