#include "tools/skinpack/SkinSourceDir.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include "skin/format/ObjectStreamer.h"
#include "skin/format/SkinDescription.h"
#include "skin/format/SkinError.h"
#include "skin/format/TextForm.h"

namespace skin {

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw SkinError("Cannot read " + path.toStdString() + ": " + f.errorString().toStdString());
    return f.readAll();
}

std::string unquote(const QString& v, const std::string& where) {
    const QString t = v.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('\'')) || !t.endsWith(QLatin1Char('\'')))
        throw SkinError(where + ": a quoted value is expected");
    return t.mid(1, t.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")).toStdString();
}

} // namespace

void loadSkinSourceDir(TSeSkinSource& source, const QString& dirPath,
                       const SkinClassRegistry& registry) {
    const QDir dir(dirPath);
    const QString manifest = dir.filePath(QStringLiteral("skin.txt"));
    const QStringList lines = QString::fromUtf8(readAll(manifest)).split(QLatin1Char('\n'));
    source.clear();
    const ObjectStreamer streamer(registry);
    int lineNo = 0;
    for (const QString& raw : lines) {
        ++lineNo;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const std::string where = manifest.toStdString() + ":" + std::to_string(lineNo);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString word = line.section(QLatin1Char(' '), 0, 0);
        if (eq > 0 && word != QLatin1String("bitmap") && word != QLatin1String("object")) {
            const QString key = line.left(eq).trimmed();
            const std::string value = unquote(line.mid(eq + 1), where);
            if (key == QLatin1String("SkinName"))
                source.SkinName = value;
            else if (key == QLatin1String("SkinVersion"))
                source.SkinVersion = value;
            else if (key == QLatin1String("Author"))
                source.Author = value;
            else if (key == QLatin1String("AuthorEMail"))
                source.AuthorEMail = value;
            else if (key == QLatin1String("AuthorURL"))
                source.AuthorURL = value;
            else
                throw SkinError(where + ": unknown header " + key.toStdString());
            continue;
        }
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (word == QLatin1String("bitmap") && parts.size() == 3) {
            const QString file = dir.filePath(parts[2]);
            QImage image;
            if (!image.load(file))
                throw SkinError(where + ": cannot load image " + file.toStdString());
            source.addBitmap(TSeBitmap::fromImage(parts[1].toStdString(), image));
            // Refused here, naming the line, rather than packed into a skin nobody can read.
            try {
                description::checkBitmapSizes(source);
            } catch (const SkinError& e) {
                throw SkinError(where + ": " + e.what());
            }
        } else if (word == QLatin1String("object") && parts.size() == 2) {
            const QString file = dir.filePath(parts[1]);
            const QByteArray text = readAll(file);
            try {
                const ObjectRecord record =
                    textform::parse(std::string_view(text.constData(), std::size_t(text.size())));
                auto object = streamer.create(record.className);
                streamer.apply(*object, record, 0);
                source.addObject(std::move(object));
            } catch (const SkinError& e) {
                throw SkinError(file.toStdString() + ": " + e.what());
            }
        } else {
            throw SkinError(where + ": expected a header, 'bitmap NAME FILE' or 'object FILE'");
        }
    }
}

} // namespace skin
