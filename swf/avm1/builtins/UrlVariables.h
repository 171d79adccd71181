#pragma once

// Variables in URL-encoded form (a=1&b=two), as LoadVars and loadVariables exchange them.

#include <QString>
#include <utility>
#include <vector>

namespace swf::avm1::builtins {

// Every character but ASCII letters and digits becomes %XX of its UTF-8 bytes.
QString urlEscape(const QString& text);
// %XX sequences (read as UTF-8) and '+' for a space; broken escapes stay as written.
QString urlUnescape(const QString& text);
// The pairs of a query string in order; a name without '=' gets an empty value.
std::vector<std::pair<QString, QString>> decodeUrlVariables(const QString& text);

} // namespace swf::avm1::builtins
