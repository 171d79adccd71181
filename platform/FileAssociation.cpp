#include "platform/FileAssociation.h"

#include "platform/ClassRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {
namespace {

// A theme path that stays inside the theme: relative, without "." or ".." steps.
bool isPlainThemePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(u'/'))
        return false;
    for (const QString& step : path.split(u'/'))
        if (step.isEmpty() || step == QStringLiteral(".") || step == QStringLiteral(".."))
            return false;
    return true;
}

bool sameContent(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.size() == bytes.size() && f.open(QIODevice::ReadOnly) && f.readAll() == bytes;
}

bool writeWhole(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

// A desktop-entry Exec argument: quoted, with the characters the desktop-entry format reserves
// inside quotes escaped, and a literal % doubled.
QString quoteExecArgument(const QString& arg) {
    QString out = QStringLiteral("\"");
    for (QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        if (c == u'%')
            out += u'%';
        out += c;
    }
    return out + u'"';
}

// Sets "key=value" in the [Default Applications] group of a mimeapps.list, keeping every other
// line as it was.
QByteArray withDefaultApplication(const QByteArray& original, const QByteArray& key,
                                  const QByteArray& value) {
    QList<QByteArray> lines = original.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QByteArray header = "[Default Applications]";
    qsizetype groupAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed() == header)
            groupAt = i;
    const QByteArray entry = key + '=' + value;
    if (groupAt < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QByteArray());
        lines.append(header);
        lines.append(entry);
    } else {
        qsizetype i = groupAt + 1;
        bool replaced = false;
        for (; i < lines.size() && !lines[i].trimmed().startsWith('['); ++i) {
            const QByteArray t = lines[i].trimmed();
            if (t.startsWith(key + '=') || t.startsWith(key + " =")) {
                lines[i] = entry;
                replaced = true;
            }
        }
        if (!replaced)
            lines.insert(groupAt + 1, entry);
    }
    return lines.join('\n') + '\n';
}

} // namespace

bool RegisterFileType(QString extension, const QString& programPath, QString description,
                      QString verbCaption, int iconIndex, bool report) {
    if (extension.isEmpty())
        return false;
    if (!extension.startsWith(u'.'))
        extension.prepend(u'.');
    if (verbCaption.isEmpty())
        verbCaption = QStringLiteral("&Open");
    const QString typeKey = extension.mid(1) + QStringLiteral(" File");
    if (description.isEmpty())
        description = typeKey;
    ClassRegistry registry;
    const std::pair<QString, QString> keys[] = {
        {extension, typeKey},
        {typeKey, description},
        {typeKey + QStringLiteral("\\DefaultIcon"),
         programPath + u',' + QString::number(iconIndex)},
        {typeKey + QStringLiteral("\\Shell\\Open"), verbCaption},
        {typeKey + QStringLiteral("\\Shell\\Open\\Command"),
         u'"' + programPath + QStringLiteral("\" \"%1\"")},
    };
    for (const auto& [key, value] : keys)
        if (!registry.setValue(key, value))
            return false; // the remaining keys are skipped, silently
    return report;
}

bool ExportDesktopAssociation(const QString& programPath, const QList<IconFile>& icons) {
    const QString dataHome = xdgDataHome();
    bool ok = true;
    for (const IconFile& icon : icons) {
        if (!isPlainThemePath(icon.themePath)) {
            ok = false;
            continue;
        }
        const QString path = dataHome + QStringLiteral("/icons/hicolor/") + icon.themePath;
        // Written only when it changed: every start comes through here.
        if (!sameContent(path, icon.bytes))
            ok = writeWhole(path, icon.bytes) && ok;
    }
    const QByteArray desktop = QStringLiteral("[Desktop Entry]\n"
                                              "Type=Application\n"
                                              "Name=Quarvel Flash Player\n"
                                              "Name[zh_CN]=Quarvel系列_FLASH播放器\n"
                                              "Comment=Play Flash movies\n"
                                              "Exec=%1 %f\n"
                                              "Icon=%3\n"
                                              "MimeType=%2;\n"
                                              "Terminal=false\n"
                                              "Categories=AudioVideo;Player;\n")
                                   .arg(quoteExecArgument(programPath), QLatin1String(kSwfMimeType),
                                        QLatin1String(kIconName))
                                   .toUtf8();
    const QByteArray mime =
        QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                   "  <mime-type type=\"application/x-shockwave-flash\">\n"
                   "    <comment>swf file</comment>\n"
                   "    <icon name=\"quarvel-flash\"/>\n"
                   "    <glob pattern=\"*.swf\"/>\n"
                   "    <magic priority=\"50\">\n"
                   "      <match type=\"string\" value=\"FWS\" offset=\"0\"/>\n"
                   "      <match type=\"string\" value=\"CWS\" offset=\"0\"/>\n"
                   "      <match type=\"string\" value=\"ZWS\" offset=\"0\"/>\n"
                   "    </magic>\n"
                   "  </mime-type>\n"
                   "</mime-info>\n");
    ok = writeWhole(dataHome + QStringLiteral("/applications/") + QLatin1String(kDesktopFileName),
                    desktop) &&
         ok;
    ok = writeWhole(dataHome + QStringLiteral("/mime/packages/quarvel-swf.xml"), mime) && ok;
    const QString listPath = xdgConfigHome() + QStringLiteral("/mimeapps.list");
    QByteArray list;
    QFile existing(listPath);
    if (existing.open(QIODevice::ReadOnly))
        list = existing.readAll();
    ok = writeWhole(listPath, withDefaultApplication(list, kSwfMimeType, kDesktopFileName)) && ok;
    return ok;
}

} // namespace platform
