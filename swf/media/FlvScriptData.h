#pragma once

// The script data an FLV carries (onMetaData, onCuePoint): AMF0 values read into a small
// tree that script turns into its own objects. Files come from anywhere, so nesting, counts
// and string sizes are all checked against the bytes present.

#include "swf/format/Result.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace swf::media {

struct AmfMember;

struct AmfValue {
    enum class Type { Undefined, Null, Number, Boolean, String, Object, Array, Date };
    Type type = Type::Undefined;
    double number = 0; // Number, Boolean (0 or 1) and Date (ms since 1970)
    QString string;
    // Object members in file order; Array elements with their index as the name.
    std::vector<AmfMember> members;
};

struct AmfMember {
    QString name;
    AmfValue value;
};

struct FlvScriptTag {
    uint32_t timeMs = 0;
    QString name; // "onMetaData", "onCuePoint" ...
    AmfValue value;
};

class FlvScriptData {
public:
    // Deepest nesting of objects and arrays read; deeper ones become undefined.
    static constexpr int kMaxDepth = 32;

    // The script tags of an FLV (whole or cut short) in file order. An error only when the
    // bytes are not an FLV at all; a damaged tag is skipped.
    static Result<std::vector<FlvScriptTag>> read(const QByteArray& flv);
    // One tag's body: the handler's name, then its argument.
    static Result<FlvScriptTag> readTag(const QByteArray& body);
};

} // namespace swf::media
