#pragma once

// Text fields as the frame's scripts leave them. Every field is watched for changes of its
// scrolling (onScroller). Fields that show a variable (the "variable" of an edit text, or one
// script gives):
// after the scripts of a frame have run, each field shows its variable's value; when the
// person typed into a field since, the typed text goes to the variable instead. A variable
// that does not exist yet when its field appears takes the field's first text.

#include <QString>
#include <memory>
#include <vector>

namespace swf {
class TextField;
}

namespace swf::avm1 {

class Avm1Host;
class Object;
class Value;

class TextVariables {
public:
    explicit TextVariables(Avm1Host& host) : host_(host) {}

    // A field joined the tree (or was given its variable by script).
    void bind(TextField& field);
    // Brings every live bound field and its variable into agreement, then tells the fields
    // whose scrolling the text moved.
    void sync();
    std::size_t boundCount() const { return fields_.size(); }

private:
    struct Bound {
        std::weak_ptr<TextField> field;
        QString shown; // what the field showed after the last sync
    };
    // The object the variable lives on and the variable's own name, or no object.
    Object* owner(TextField& field, QString& name);
    bool read(TextField& field, Value& out);
    void write(TextField& field, const QString& text);

    Avm1Host& host_;
    std::vector<Bound> fields_;
    std::vector<std::weak_ptr<TextField>> watched_;
};

} // namespace swf::avm1
