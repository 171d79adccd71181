#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "skin/format/ByteReader.h"
#include "skin/model/PropertyValue.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinObject.h"

namespace skin {

// Turns skin objects into their stream forms and back, the children travelling in the
// binary property `Objects`.
class ObjectStreamer {
public:
    static constexpr int kMaxDepth = 64;

    explicit ObjectStreamer(const SkinClassRegistry& registry) : registry_(registry) {}

    // A new object of a registered class; SkinError for a name the registry lacks.
    std::unique_ptr<TSeSkinObject> create(std::string_view className) const;

    // Reads a whole object from its text form or binary form; the class comes from the record
    // that carried the form.
    std::unique_ptr<TSeSkinObject> readText(std::string_view className, std::string_view text,
                                            int depth = 0) const;
    std::unique_ptr<TSeSkinObject> readBinary(std::string_view className, ByteReader& reader,
                                              int depth = 0) const;
    // Assigns the record's properties in order, `Objects` and nested object blocks creating
    // the children.
    void apply(TSeSkinObject& object, const ObjectRecord& record, int depth) const;

    ObjectRecord toRecord(const TSeSkinObject& object) const;
    std::string writeText(const TSeSkinObject& object) const;
    std::string writeBinary(const TSeSkinObject& object) const;

    // The value of `Objects`: header count | 0xF0000, then per child its class name, length
    // and binary form.
    std::string encodeChildren(const TSeSkinObject& object) const;
    void decodeChildren(TSeSkinObject& parent, std::string_view bytes, int depth) const;

private:
    // One binary component straight into a new object of `className` (or the class the
    // stream names when that is empty), its nested components after it.
    std::unique_ptr<TSeSkinObject> readComponent(ByteReader& reader, std::string_view className,
                                                 int depth) const;
    void setProperty(TSeSkinObject& object, std::string_view name,
                     const PropertyValue& value) const;

    const SkinClassRegistry& registry_;
};

} // namespace skin
