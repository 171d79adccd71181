#include "skin/format/TextForm.h"

#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "skin/format/HexDigits.h"
#include "skin/format/SkinError.h"

namespace skin::textform {

namespace {

// Locale-free character classes: the text form is ASCII and parsing it is on the load path.
bool isSpace(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\v';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool identStart(char c) {
    return isAlpha(c) || c == '_';
}
bool identChar(char c) {
    return isAlpha(c) || isDigit(c) || c == '_';
}
class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    void object(int depthLeft, Handler& handler) {
        if (depthLeft <= 0)
            fail("objects are nested too deeply");
        const std::string_view word = identifier();
        if (word != "object" && word != "inherited" && word != "inline")
            fail("'object' expected");
        std::string_view name, className;
        const std::string_view first = identifier();
        skipSpace();
        if (peek() == ':') {
            ++pos_;
            name = first;
            className = identifier();
        } else {
            className = first;
        }
        skipSpace();
        if (peek() == '[') // inherited child position, as "[3]"
            skipTo(']');
        handler.beginObject(className, name);
        std::string spelled;
        for (;;) {
            skipSpace();
            if (atEnd())
                fail("'end' expected");
            const std::size_t mark = pos_;
            const std::string_view word2 = identifier();
            if (word2 == "end") {
                handler.endObject();
                return;
            }
            if (word2 == "object" || word2 == "inherited" || word2 == "inline") {
                pos_ = mark;
                object(depthLeft - 1, handler);
                continue;
            }
            const std::string_view property = dottedNameView(word2, spelled);
            skipSpace();
            if (peek() != '=')
                fail("'=' expected after " + std::string(property));
            ++pos_;
            handler.property(property, value());
        }
    }

    void expectEnd() {
        skipSpace();
        if (!atEnd())
            fail("text after the final 'end'");
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        int line = 1;
        for (std::size_t i = 0; i < pos_ && i < s_.size(); ++i)
            line += s_[i] == '\n';
        throw SkinError("Skin text form, line " + std::to_string(line) + ": " + what);
    }

    bool atEnd() const { return pos_ >= s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[pos_]; }

    void skipSpace() {
        while (pos_ < s_.size() && isSpace(s_[pos_]))
            ++pos_;
    }

    void skipTo(char c) {
        while (!atEnd() && s_[pos_] != c)
            ++pos_;
        if (atEnd())
            fail(std::string("'") + c + "' expected");
        ++pos_;
    }

    // A view into the text, valid while the parser is.
    std::string_view identifier() {
        skipSpace();
        if (!identStart(peek()))
            fail("identifier expected");
        const std::size_t start = pos_;
        while (!atEnd() && identChar(s_[pos_]))
            ++pos_;
        return s_.substr(start, pos_ - start);
    }

    // As dottedName, but a view into the text when the name is written without spaces (as it
    // always is), else into `spelled`.
    std::string_view dottedNameView(std::string_view first, std::string& spelled) {
        if (peek() != '.')
            return first;
        const std::size_t start = std::size_t(first.data() - s_.data());
        std::size_t end = start + first.size();
        bool contiguous = true;
        spelled.assign(first);
        while (peek() == '.') {
            ++pos_;
            const std::string_view next = identifier();
            contiguous = contiguous && next.data() == s_.data() + end + 1;
            end = std::size_t(next.data() - s_.data()) + next.size();
            spelled += '.';
            spelled += next;
        }
        return contiguous ? s_.substr(start, end - start) : std::string_view(spelled);
    }

    // "Font.Color" or "Owner.Component": the identifiers after the first, joined by dots.
    std::string dottedName(std::string_view first) {
        std::string name(first);
        while (peek() == '.') {
            ++pos_;
            name += '.';
            name += identifier();
        }
        return name;
    }

    std::int64_t integer() {
        bool negative = false;
        if (peek() == '-' || peek() == '+') {
            negative = peek() == '-';
            ++pos_;
        }
        std::int64_t v = 0;
        int digits = 0;
        if (peek() == '$') {
            ++pos_;
            // Sixteen hex digits can exceed the signed range; add up unsigned and check.
            std::uint64_t u = 0;
            while (hexValue(peek()) >= 0) {
                if (++digits > 16)
                    fail("number too large");
                u = u * 16 + std::uint64_t(hexDigit(s_[pos_++]));
            }
            if (u > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
                fail("number too large");
            v = std::int64_t(u);
        } else {
            while (isDigit(peek())) {
                v = v * 10 + (s_[pos_++] - '0');
                if (++digits > 18)
                    fail("number too large");
            }
        }
        if (digits == 0)
            fail("number expected");
        if (peek() == '.' || peek() == 'e' || peek() == 'E')
            fail("floating-point values are not used in skins");
        return negative ? -v : v;
    }

    int hexDigit(char c) const {
        const int v = hexValue(c);
        if (v < 0)
            fail("hexadecimal digit expected");
        return v;
    }

    static void appendCode(std::string& out, std::int64_t code) {
        // Codes below 256 are bytes of the 8-bit text; larger ones are characters, kept as
        // UTF-8 like all our text.
        if (code < 0x100) {
            out.push_back(char(code));
        } else if (code < 0x800) {
            out.push_back(char(0xC0 | (code >> 6)));
            out.push_back(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(char(0xE0 | (code >> 12)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (code >> 18)));
            out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        }
    }

    std::string quoted() {
        std::string out;
        for (;;) {
            if (peek() == '\'') {
                ++pos_;
                for (;;) {
                    if (atEnd() || peek() == '\n' || peek() == '\r')
                        fail("unterminated string");
                    const char c = s_[pos_++];
                    if (c == '\'') {
                        if (peek() == '\'') {
                            ++pos_;
                            out.push_back('\'');
                            continue;
                        }
                        break;
                    }
                    out.push_back(c);
                }
            } else if (peek() == '#') {
                ++pos_;
                if (!isDigit(peek()) && peek() != '$')
                    fail("character code expected after '#'");
                const std::int64_t code = integer();
                if (code < 0 || code > 0x10FFFF)
                    fail("character code out of range");
                appendCode(out, code);
            } else {
                // A long string continues on the next line after a '+'.
                const std::size_t mark = pos_;
                skipSpace();
                if (peek() == '+') {
                    ++pos_;
                    skipSpace();
                    if (peek() == '\'' || peek() == '#')
                        continue;
                }
                pos_ = mark;
                return out;
            }
        }
    }

    PropertyValue value() {
        // The value starts on the property's own line; a missing one must not take the
        // next line's first word.
        while (peek() == ' ' || peek() == '\t')
            ++pos_;
        const char c = peek();
        if (c == '\'' || c == '#')
            return PropertyValue::makeString(quoted());
        if (c == '-' || c == '+' || c == '$' || isDigit(c))
            return PropertyValue::makeInteger(integer());
        if (c == '[') {
            ++pos_;
            std::vector<std::string> members;
            skipSpace();
            if (peek() == ']') {
                ++pos_;
                return PropertyValue::makeSet({});
            }
            for (;;) {
                members.emplace_back(identifier());
                skipSpace();
                if (peek() == ',') {
                    ++pos_;
                    continue;
                }
                if (peek() == ']') {
                    ++pos_;
                    return PropertyValue::makeSet(std::move(members));
                }
                fail("',' or ']' expected in a set");
            }
        }
        if (c == '{') {
            ++pos_;
            // Sized for the longest possible value (left uninitialised) and copied out once at
            // the end: binary values are most of a skin's text, so the pairs are decoded in
            // tight runs.
            const std::size_t close = s_.find('}', pos_);
            const std::size_t room = (close == std::string_view::npos ? s_.size() : close) - pos_;
            const auto buffer = std::make_unique_for_overwrite<char[]>(room / 2 + 1);
            char* const first = buffer.get();
            char* out = first;
            const char* in = s_.data();
            for (;;) {
                skipSpace();
                std::size_t p = pos_;
                const std::size_t end = s_.size();
                const std::size_t taken = decodeHexRun(in + p, end - p, out);
                out += taken / 2;
                p += taken;
                while (p + 8 <= end && decodeEightHexDigits(in + p, out)) {
                    out += 4;
                    p += 8;
                }
                while (p + 1 < end) {
                    const int hi = hexValue(in[p]), lo = hexValue(in[p + 1]);
                    if ((hi | lo) < 0)
                        break;
                    *out++ = char(hi << 4 | lo);
                    p += 2;
                }
                pos_ = p;
                skipSpace();
                if (peek() == '}') {
                    ++pos_;
                    return PropertyValue::makeBinary(std::string(first, std::size_t(out - first)));
                }
                if (pos_ + 1 < s_.size() && (hexValue(s_[pos_]) | hexValue(s_[pos_ + 1])) >= 0)
                    continue; // the next line of pairs
                // Not a pair of digits: a stray character, or half a pair.
                if (atEnd())
                    fail("'}' expected");
                hexDigit(s_[pos_++]);
                if (atEnd())
                    fail("'}' expected");
                hexDigit(s_[pos_]);
                fail("hexadecimal digits come in pairs");
            }
        }
        if (identStart(c)) {
            std::string ident = dottedName(identifier());
            if (ident == "True" || ident == "False")
                return PropertyValue::makeBoolean(ident == "True");
            return PropertyValue::makeIdentifier(std::move(ident));
        }
        fail("property value expected");
    }

    std::string_view s_;
    std::size_t pos_{0};
};

void writeQuoted(std::string& out, const std::string& s) {
    if (s.empty()) {
        out += "''";
        return;
    }
    bool inQuotes = false;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c < 127) {
            if (!inQuotes) {
                out += '\'';
                inQuotes = true;
            }
            if (c == '\'')
                out += "''";
            else
                out += char(c);
        } else {
            if (inQuotes) {
                out += '\'';
                inQuotes = false;
            }
            out += '#';
            out += std::to_string(c);
        }
    }
    if (inQuotes)
        out += '\'';
}

void writeValue(std::string& out, const PropertyValue& v, int indent) {
    switch (v.type) {
    case PropertyValue::Type::Integer:
        out += std::to_string(v.integer);
        break;
    case PropertyValue::Type::String:
        writeQuoted(out, v.text);
        break;
    case PropertyValue::Type::Identifier:
        out += v.text;
        break;
    case PropertyValue::Type::Boolean:
        out += v.boolean ? "True" : "False";
        break;
    case PropertyValue::Type::Set:
        out += '[';
        for (std::size_t i = 0; i < v.members.size(); ++i) {
            if (i)
                out += ", ";
            out += v.members[i];
        }
        out += ']';
        break;
    case PropertyValue::Type::Binary: {
        static const char hex[] = "0123456789ABCDEF";
        out += '{';
        for (std::size_t i = 0; i < v.text.size(); ++i) {
            if (i % 32 == 0) {
                out += "\r\n";
                out.append(std::size_t(indent + 4), ' ');
            }
            const auto b = static_cast<unsigned char>(v.text[i]);
            out += hex[b >> 4];
            out += hex[b & 15];
        }
        out += '}';
        break;
    }
    }
}

void writeObject(std::string& out, const ObjectRecord& rec, int indent) {
    out.append(std::size_t(indent), ' ');
    out += "object ";
    if (!rec.name.empty()) {
        out += rec.name;
        out += ": ";
    }
    out += rec.className;
    out += "\r\n";
    for (const auto& p : rec.properties) {
        out.append(std::size_t(indent + 2), ' ');
        out += p.name;
        out += " = ";
        writeValue(out, p.value, indent + 2);
        out += "\r\n";
    }
    for (const auto& c : rec.children)
        writeObject(out, c, indent + 2);
    out.append(std::size_t(indent), ' ');
    out += "end\r\n";
}

} // namespace

Handler::~Handler() = default;

void parse(std::string_view text, Handler& handler, int maxDepth) {
    Parser p(text);
    p.object(maxDepth, handler);
    p.expectEnd();
}

ObjectRecord parse(std::string_view text, int maxDepth) {
    // Nested records are filled in place: a record's children only grow once the deeper
    // ones being read have ended, so the pointers on the stack stay valid.
    struct Records : Handler {
        ObjectRecord root;
        std::vector<ObjectRecord*> open;
        void beginObject(std::string_view className, std::string_view name) override {
            ObjectRecord* rec = open.empty() ? &root : &open.back()->children.emplace_back();
            rec->className = className;
            rec->name = name;
            rec->properties.reserve(32);
            open.push_back(rec);
        }
        void property(std::string_view name, PropertyValue&& value) override {
            open.back()->properties.push_back({std::string(name), std::move(value)});
        }
        void endObject() override { open.pop_back(); }
    } records;
    parse(text, records, maxDepth);
    return std::move(records.root);
}

std::string write(const ObjectRecord& record) {
    std::string out;
    writeObject(out, record, 0);
    return out;
}

} // namespace skin::textform
