#pragma once

// Where a movie's local shared objects live on disk and how their data is written: a small
// tagged binary form of our own (numbers, strings, booleans, null, undefined, dates, arrays
// and objects, with repeated objects written once), read back with every size checked so a
// damaged or hostile file is simply ignored.

#include <QByteArray>
#include <QString>
#include <optional>

namespace swf::avm1 {
class Vm;
class Object;
} // namespace swf::avm1

namespace swf::avm1::builtins {

class SharedObjectStore {
public:
    // Flash asks the user before a site stores more than 100 KB; with no one to ask, a
    // generous fixed limit per object stands in for that answer.
    static constexpr qint64 kMaxBytes = 1 << 20;
    static constexpr int kMaxDepth = 256;

    // The folder every shared object goes under: QUARVEL_SHARED_OBJECTS if set, else
    // $XDG_DATA_HOME/quarvel/shared-objects.
    static QString baseFolder();
    // The file for name as the movie at movieUrl asks for it with localPath (empty: the
    // movie's own path). Empty when the name or path is not allowed.
    static QString fileFor(const QString& movieUrl, const QString& name, const QString& localPath);

    // The data object's enumerable properties, or nothing when they exceed the limit.
    static std::optional<QByteArray> serialize(Vm& vm, Object* data);
    // Fills data from bytes; false (and data as empty as it was) when they are not ours.
    static bool deserialize(Vm& vm, const QByteArray& bytes, Object* data);

    static bool writeFile(const QString& file, const QByteArray& bytes);
    static std::optional<QByteArray> readFile(const QString& file);
};

} // namespace swf::avm1::builtins
