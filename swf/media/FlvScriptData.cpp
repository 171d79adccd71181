#include "swf/media/FlvScriptData.h"

#include <bit>
#include <cstring>

namespace swf::media {

namespace {

constexpr uint8_t kScriptTag = 18;

class AmfReader {
public:
    explicit AmfReader(const QByteArray& bytes) : b_(bytes) {}

    bool value(AmfValue& out, int depth) {
        uint8_t marker = 0;
        if (!u8(marker))
            return false;
        switch (marker) {
        case 0: // number
            out.type = AmfValue::Type::Number;
            return f64(out.number);
        case 1: { // boolean
            uint8_t v = 0;
            out.type = AmfValue::Type::Boolean;
            if (!u8(v))
                return false;
            out.number = v ? 1 : 0;
            return true;
        }
        case 2: // string
            out.type = AmfValue::Type::String;
            return shortString(out.string);
        case 3: // object
            out.type = AmfValue::Type::Object;
            return members(out, depth);
        case 5:
            out.type = AmfValue::Type::Null;
            return true;
        case 6:
            out.type = AmfValue::Type::Undefined;
            return true;
        case 8: { // ECMA array: a count (often wrong, so not trusted), then members
            uint32_t ignored = 0;
            if (!u32(ignored))
                return false;
            out.type = AmfValue::Type::Object;
            return members(out, depth);
        }
        case 10: { // strict array
            uint32_t count = 0;
            if (!u32(count))
                return false;
            out.type = AmfValue::Type::Array;
            // Each element takes at least one byte: a count beyond what remains is a lie.
            if (count > static_cast<uint32_t>(b_.size() - pos_))
                return false;
            for (uint32_t i = 0; i < count; ++i) {
                AmfValue element;
                if (!nested(element, depth))
                    return false;
                out.members.push_back(AmfMember{QString::number(i), std::move(element)});
            }
            return true;
        }
        case 11: { // date: ms, then a time zone nobody uses
            out.type = AmfValue::Type::Date;
            uint16_t zone = 0;
            return f64(out.number) && u16(zone);
        }
        case 12: { // long string
            uint32_t size = 0;
            out.type = AmfValue::Type::String;
            if (!u32(size) || size > static_cast<uint32_t>(b_.size() - pos_))
                return false;
            out.string = QString::fromUtf8(b_.mid(pos_, size));
            pos_ += size;
            return true;
        }
        default: // movie clip, reference, unsupported, record set, XML, typed object
            return false;
        }
    }

    bool shortString(QString& out) {
        uint16_t size = 0;
        if (!u16(size) || size > b_.size() - pos_)
            return false;
        out = QString::fromUtf8(b_.mid(pos_, size));
        pos_ += size;
        return true;
    }

private:
    bool nested(AmfValue& out, int depth) {
        if (depth >= FlvScriptData::kMaxDepth)
            return false;
        return value(out, depth + 1);
    }
    bool members(AmfValue& out, int depth) {
        while (true) {
            QString name;
            if (!shortString(name))
                return false;
            if (name.isEmpty() && pos_ < b_.size() && static_cast<uint8_t>(b_[pos_]) == 9) {
                ++pos_;
                return true;
            }
            AmfValue member;
            if (!nested(member, depth))
                return false;
            out.members.push_back(AmfMember{std::move(name), std::move(member)});
        }
    }
    bool u8(uint8_t& v) {
        if (pos_ + 1 > b_.size())
            return false;
        v = static_cast<uint8_t>(b_[pos_++]);
        return true;
    }
    bool u16(uint16_t& v) {
        if (pos_ + 2 > b_.size())
            return false;
        v = static_cast<uint16_t>(static_cast<uint8_t>(b_[pos_]) << 8 |
                                  static_cast<uint8_t>(b_[pos_ + 1]));
        pos_ += 2;
        return true;
    }
    bool u32(uint32_t& v) {
        if (pos_ + 4 > b_.size())
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | static_cast<uint8_t>(b_[pos_ + i]);
        pos_ += 4;
        return true;
    }
    bool f64(double& v) {
        if (pos_ + 8 > b_.size())
            return false;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | static_cast<uint8_t>(b_[pos_ + i]);
        pos_ += 8;
        v = std::bit_cast<double>(bits);
        return true;
    }

    const QByteArray& b_;
    qsizetype pos_ = 0;
};

uint32_t be(const QByteArray& b, qsizetype at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

} // namespace

Result<FlvScriptTag> FlvScriptData::readTag(const QByteArray& body) {
    AmfReader r(body);
    AmfValue name;
    FlvScriptTag tag;
    if (!r.value(name, 0) || name.type != AmfValue::Type::String)
        return Error{QStringLiteral("Broken FLV script data.")};
    tag.name = name.string;
    // Some writers leave the argument off or cut it; what was read still counts.
    AmfValue value;
    if (r.value(value, 0))
        tag.value = std::move(value);
    return tag;
}

Result<std::vector<FlvScriptTag>> FlvScriptData::read(const QByteArray& bytes) {
    if (bytes.size() < 9 || !bytes.startsWith("FLV") || bytes[3] != 1)
        return Error{QStringLiteral("Not an FLV file.")};
    const uint32_t headerSize = be(bytes, 5, 4);
    if (headerSize < 9)
        return Error{QStringLiteral("Broken FLV header.")};
    std::vector<FlvScriptTag> tags;
    qsizetype pos = static_cast<qsizetype>(headerSize) + 4;
    while (pos + 11 <= bytes.size()) {
        const uint8_t type = static_cast<uint8_t>(bytes[pos]) & 0x1f;
        const uint32_t size = be(bytes, pos + 1, 3);
        const uint32_t time = be(bytes, pos + 4, 3) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(bytes[pos + 7])) << 24);
        if (static_cast<qsizetype>(size) + 11 > bytes.size() - pos)
            break;
        if (type == kScriptTag) {
            if (auto tag = readTag(bytes.mid(pos + 11, size))) {
                tag.value().timeMs = time;
                tags.push_back(std::move(tag.value()));
            }
        }
        pos += 11 + static_cast<qsizetype>(size) + 4;
    }
    return tags;
}

} // namespace swf::media
