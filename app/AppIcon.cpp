#include "app/AppIcon.h"

#include <QDir>
#include <QFile>

static void initAppIconResource() {
    Q_INIT_RESOURCE(app_icon);
}

namespace app {
namespace {

// The carried pictures: "16.png" ... "256.png" and "scalable.svg".
QStringList carriedPictures() {
    initAppIconResource();
    return QDir(QStringLiteral(":/icons")).entryList(QDir::Files, QDir::Name);
}

int pictureSize(const QString& name) {
    if (!name.endsWith(QStringLiteral(".png")))
        return 0;
    return name.chopped(4).toInt();
}

} // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (const QString& name : carriedPictures()) {
        const int size = pictureSize(name);
        if (size > 0)
            icon.addFile(QStringLiteral(":/icons/") + name, QSize(size, size));
    }
    return icon;
}

QList<platform::IconFile> applicationIconFiles() {
    QList<platform::IconFile> files;
    const QString iconFile = QLatin1String(platform::kIconName);
    for (const QString& name : carriedPictures()) {
        QFile resource(QStringLiteral(":/icons/") + name);
        if (!resource.open(QIODevice::ReadOnly))
            continue;
        const int size = pictureSize(name);
        const QString folder =
            size > 0 ? QStringLiteral("%1x%1").arg(size) : QStringLiteral("scalable");
        const QString suffix = size > 0 ? QStringLiteral(".png") : QStringLiteral(".svg");
        files.append({folder + QStringLiteral("/apps/") + iconFile + suffix, resource.readAll()});
    }
    return files;
}

} // namespace app
