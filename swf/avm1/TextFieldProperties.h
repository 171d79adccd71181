#pragma once

// The properties a text field shows to script by name ("text", "variable", "border"...),
// read and written on the display tree's field.

#include <QString>

namespace swf {
class TextField;
}

namespace swf::avm1 {

class Avm1Host;
class Vm;
class Value;

// False when name is not a text field property (it is then an ordinary property).
bool readTextProperty(Vm& vm, TextField& field, const QString& name, Value& out);
bool writeTextProperty(Avm1Host& host, TextField& field, const QString& name, const Value& v);
// Tells the field's onScroller and its listeners when scroll, hscroll or maxscroll change.
void watchScrolling(Avm1Host& host, TextField& field);
// An asfunction: link: function (a name or a dotted path) from the field's parent, called
// with the argument string.
void callLinkFunction(Avm1Host& host, TextField& field, const QString& function,
                      const QString& argument);

} // namespace swf::avm1
