#pragma once

// Text loads of XML and LoadVars objects. The bytes arrive whenever the host has them, but
// script hears of them only from the machine's timer turn, never inside the call that asked,
// so a movie's handlers always run after its load call returned, as in Flash.

#include "swf/avm1/Value.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace swf::avm1 {
class Object;
class Vm;
} // namespace swf::avm1

namespace swf::avm1::builtins {

// Larger replies are refused: a variables or XML file is never legitimately this big.
constexpr qint64 kMaxScriptLoadBytes = 16 << 20;

// url resolved against the movie's own location (a file path or a URL).
QString resolveAgainstMovie(Vm& vm, const QString& url);

// What a load brought. The host's callback only fills it in, and may come after the machine
// is gone; script takes it on a later timer turn.
struct LoadArrival {
    bool done = false;
    bool ok = false;
    QByteArray bytes;
};

// Asks the host for url (resolved against the movie) with at most maxBytes. Without a host
// the load is done at once, and failed.
std::shared_ptr<LoadArrival> requestLoad(Vm& vm, const QString& url, qint64 maxBytes);

// Fetches url and then calls target.onData(text), or target.onData() on failure. A newer load
// on the same target supersedes an older one still in flight. Keeps _bytesLoaded and
// _bytesTotal on the target up to date. False when the URL is empty.
bool startScriptLoad(Vm& vm, const Value& target, const QString& url);

// The load side every loading class shares: onData hands the text to parseMethod ("decode",
// "parseXML") and reports to onLoad; byte counts; request headers accepted and dropped.
void defineLoadMethods(Vm& vm, Object* proto, const QString& parseMethod);

// Bytes as script text: UTF-8 with or without a byte-order mark, or UTF-16 with one.
QString decodeLoadedText(const QByteArray& bytes);

} // namespace swf::avm1::builtins
