#pragma once

// The installed fonts that stand in for the fonts a movie names without embedding them:
// Flash's _sans, _serif and _typewriter, Windows face names (Chinese ones included) and
// anything else, which falls back by the script of its name. The installed fonts are a fact of
// the machine, so one set of loaded faces serves every field of every movie.

#include "swf/text/TextFace.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace swf::text {

class DeviceFonts {
public:
    // The installed fonts as seen through Qt; needs a QGuiApplication (without one no face is
    // found and device text is not drawn).
    static DeviceFonts& system();

    // The face for a name a movie uses; null only when no font is installed at all.
    std::shared_ptr<const DeviceFace> face(const QString& name, bool bold, bool italic);
    // An installed face that has c, for characters the chosen face lacks (Chinese text in a
    // Latin face, typically); null when none has it.
    std::shared_ptr<const DeviceFace> fallbackFor(char32_t c, bool bold, bool italic);

    // The installed families tried for a name, best first; the first installed one is used.
    static QStringList candidates(const QString& name);
    // The family a name resolves to on this machine, or an empty string.
    QString familyFor(const QString& name);

private:
    std::shared_ptr<const DeviceFace> load(const QString& family, bool bold, bool italic);

    std::mutex mutex_;
    std::map<std::tuple<QString, bool, bool>, std::shared_ptr<const DeviceFace>> faces_;
    std::map<QString, QString> families_;
    std::mutex fallbackMutex_;
    std::map<std::tuple<char32_t, bool, bool>, std::shared_ptr<const DeviceFace>> fallbacks_;
};

} // namespace swf::text
