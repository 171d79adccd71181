#include "skin/format/ObjectStreamer.h"

#include "skin/format/BinaryForm.h"
#include "skin/format/ByteWriter.h"
#include "skin/format/SkinError.h"
#include "skin/format/TextForm.h"

namespace skin {

namespace {
constexpr std::uint32_t kChildFormFlags = 0xF0000;
}

std::unique_ptr<TSeSkinObject> ObjectStreamer::create(std::string_view className) const {
    auto object = registry_.create(className);
    if (!object)
        throw SkinError("Class " + std::string(className) + " not found");
    return object;
}

std::unique_ptr<TSeSkinObject> ObjectStreamer::readText(std::string_view className,
                                                        std::string_view text, int depth) const {
    // Straight into the objects, with no record in between: the text forms of a skin's
    // top-level objects are read at every start. The first object takes the class asked for.
    struct Objects : textform::Handler {
        const ObjectStreamer& streamer;
        std::string_view rootClass;
        int depth;
        std::vector<std::unique_ptr<TSeSkinObject>> open;
        std::unique_ptr<TSeSkinObject> root;

        Objects(const ObjectStreamer& s, std::string_view c, int d)
            : streamer(s), rootClass(c), depth(d) {}
        int depthOfOpen() const { return depth + int(open.size()) - 1; }
        void beginObject(std::string_view cls, std::string_view name) override {
            if (depth + int(open.size()) >= kMaxDepth)
                throw SkinError("Skin objects are nested too deeply");
            auto object = streamer.create(open.empty() ? rootClass : cls);
            object->setName(std::string(name));
            open.push_back(std::move(object));
        }
        void property(std::string_view name, PropertyValue&& value) override {
            TSeSkinObject& object = *open.back();
            if (name == "Objects") {
                if (value.type != PropertyValue::Type::Binary)
                    throw SkinError("Error reading " + object.name() +
                                    ".Objects: binary value expected");
                streamer.decodeChildren(object, value.text, depthOfOpen() + 1);
            } else {
                streamer.setProperty(object, name, value);
            }
        }
        void endObject() override {
            std::unique_ptr<TSeSkinObject> done = std::move(open.back());
            open.pop_back();
            if (open.empty())
                root = std::move(done);
            else
                open.back()->addChild(std::move(done));
        }
    } objects(*this, className, depth);
    textform::parse(text, objects, kMaxDepth - depth);
    return std::move(objects.root);
}

std::unique_ptr<TSeSkinObject> ObjectStreamer::readBinary(std::string_view className,
                                                          ByteReader& reader, int depth) const {
    if (reader.bytes(4) != "TPF0")
        throw SkinError("Invalid stream format: a skin object does not start with TPF0");
    return readComponent(reader, className, depth);
}

// Most of a skin's objects arrive in this form, nested in `Objects` values, so it is read
// without an intermediate record: names are looked at in place and children are decoded
// from the enclosing buffer without a copy.
std::unique_ptr<TSeSkinObject>
ObjectStreamer::readComponent(ByteReader& r, std::string_view className, int depth) const {
    if (depth >= kMaxDepth)
        throw SkinError("Skin objects are nested too deeply");
    binaryform::skipFilerFlags(r);
    const std::string_view storedClass = r.shortStringView();
    auto object = create(className.empty() ? storedClass : className);
    object->setName(std::string(r.shortStringView()));
    for (;;) {
        const std::string_view name = r.shortStringView();
        if (name.empty())
            break;
        if (name == "Objects") {
            if (r.u8() != binaryform::kBinaryValueTag)
                throw SkinError("Error reading " + object->name() +
                                ".Objects: binary value expected");
            const std::size_t length = r.u32();
            decodeChildren(*object, r.bytes(length), depth + 1);
        } else {
            setProperty(*object, name, binaryform::readValue(r));
        }
    }
    while (r.peekU8() != 0)
        object->addChild(readComponent(r, {}, depth + 1));
    r.u8();
    return object;
}

void ObjectStreamer::setProperty(TSeSkinObject& object, std::string_view name,
                                 const PropertyValue& value) const {
    if (!object.readProperty(name, value))
        throw SkinError("Error reading " + object.name() + "." + std::string(name) + ": Property " +
                        std::string(name) + " does not exist");
}

void ObjectStreamer::apply(TSeSkinObject& object, const ObjectRecord& record, int depth) const {
    if (depth >= kMaxDepth)
        throw SkinError("Skin objects are nested too deeply");
    object.setName(record.name);
    for (const auto& p : record.properties) {
        if (p.name == "Objects") {
            if (p.value.type != PropertyValue::Type::Binary)
                throw SkinError("Error reading " + record.name + ".Objects: binary value expected");
            decodeChildren(object, p.value.text, depth + 1);
        } else {
            setProperty(object, p.name, p.value);
        }
    }
    for (const auto& c : record.children) {
        auto child = create(c.className);
        apply(*child, c, depth + 1);
        object.addChild(std::move(child));
    }
}

void ObjectStreamer::decodeChildren(TSeSkinObject& parent, std::string_view bytes,
                                    int depth) const {
    ByteReader r(bytes.data(), bytes.size(),
                 "Stream read error: the Objects value of " + parent.name() + " is cut short");
    const std::uint32_t header = r.u32();
    if ((header & kChildFormFlags) == kChildFormFlags) {
        const std::uint32_t count = header & ~kChildFormFlags;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::string_view className = r.stringView32();
            const std::size_t length = r.length("child length");
            ByteReader body = r.sub(length);
            auto child = readBinary(className, body, depth);
            parent.addChild(std::move(child));
        }
    } else {
        if (header > 0x7FFFFFFF)
            throw SkinError("Invalid child count in skin data");
        for (std::uint32_t i = 0; i < header; ++i) {
            const std::string className = r.string32();
            const std::string text = r.string32();
            parent.addChild(readText(className, text, depth));
        }
    }
}

ObjectRecord ObjectStreamer::toRecord(const TSeSkinObject& object) const {
    ObjectRecord rec;
    rec.className = object.className();
    rec.name = object.name();
    object.writeProperties(rec.properties);
    rec.properties.push_back({"Objects", PropertyValue::makeBinary(encodeChildren(object))});
    return rec;
}

std::string ObjectStreamer::writeText(const TSeSkinObject& object) const {
    return textform::write(toRecord(object));
}

std::string ObjectStreamer::writeBinary(const TSeSkinObject& object) const {
    return binaryform::write(toRecord(object));
}

std::string ObjectStreamer::encodeChildren(const TSeSkinObject& object) const {
    ByteWriter w;
    const auto count = std::uint32_t(object.children().size());
    if (count > 0xFFFF)
        throw SkinError("Too many children to store under " + object.name());
    w.u32(count | kChildFormFlags);
    for (const auto& child : object.children()) {
        w.string32(child->className());
        const std::string body = writeBinary(*child);
        w.i32(std::int32_t(body.size()));
        w.raw(body);
    }
    return std::move(w.bytes());
}

} // namespace skin
