#include "skin/format/TextForm.h"

#include <cctype>

#include "skin/format/SkinError.h"

namespace skin::textform {

namespace {

bool identStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool identChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    ObjectRecord object(int depthLeft) {
        if (depthLeft <= 0)
            fail("objects are nested too deeply");
        const std::string word = identifier();
        if (word != "object" && word != "inherited" && word != "inline")
            fail("'object' expected");
        ObjectRecord rec;
        std::string first = identifier();
        skipSpace();
        if (peek() == ':') {
            ++pos_;
            rec.name = std::move(first);
            rec.className = identifier();
        } else {
            rec.className = std::move(first);
        }
        skipSpace();
        if (peek() == '[') // inherited child position, as "[3]"
            skipTo(']');
        for (;;) {
            skipSpace();
            if (atEnd())
                fail("'end' expected");
            const std::size_t mark = pos_;
            const std::string word2 = identifier();
            if (word2 == "end")
                return rec;
            if (word2 == "object" || word2 == "inherited" || word2 == "inline") {
                pos_ = mark;
                rec.children.push_back(object(depthLeft - 1));
                continue;
            }
            std::string name = word2;
            while (peek() == '.') {
                ++pos_;
                name += '.';
                name += identifier();
            }
            skipSpace();
            if (peek() != '=')
                fail("'=' expected after " + name);
            ++pos_;
            rec.properties.push_back({std::move(name), value()});
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
        while (!atEnd() && std::isspace(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
    }

    void skipTo(char c) {
        while (!atEnd() && s_[pos_] != c)
            ++pos_;
        if (atEnd())
            fail(std::string("'") + c + "' expected");
        ++pos_;
    }

    std::string identifier() {
        skipSpace();
        if (!identStart(peek()))
            fail("identifier expected");
        const std::size_t start = pos_;
        while (!atEnd() && identChar(s_[pos_]))
            ++pos_;
        return std::string(s_.substr(start, pos_ - start));
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
            while (std::isxdigit(static_cast<unsigned char>(peek()))) {
                v = v * 16 + hexDigit(s_[pos_++]);
                if (++digits > 16)
                    fail("number too large");
            }
        } else {
            while (std::isdigit(static_cast<unsigned char>(peek()))) {
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
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        fail("hexadecimal digit expected");
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
                if (!std::isdigit(static_cast<unsigned char>(peek())) && peek() != '$')
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
        if (c == '-' || c == '+' || c == '$' || std::isdigit(static_cast<unsigned char>(c)))
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
                members.push_back(identifier());
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
            std::string bytes;
            for (;;) {
                skipSpace();
                if (peek() == '}') {
                    ++pos_;
                    return PropertyValue::makeBinary(std::move(bytes));
                }
                if (atEnd())
                    fail("'}' expected");
                const int hi = hexDigit(s_[pos_++]);
                if (atEnd())
                    fail("'}' expected");
                const int lo = hexDigit(s_[pos_++]);
                bytes.push_back(char(hi << 4 | lo));
            }
        }
        if (identStart(c)) {
            std::string ident = identifier();
            while (peek() == '.') { // a qualified reference, as Owner.Component
                ++pos_;
                ident += '.';
                ident += identifier();
            }
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

ObjectRecord parse(std::string_view text, int maxDepth) {
    Parser p(text);
    ObjectRecord rec = p.object(maxDepth);
    p.expectEnd();
    return rec;
}

std::string write(const ObjectRecord& record) {
    std::string out;
    writeObject(out, record, 0);
    return out;
}

} // namespace skin::textform
