#include "swf/text/FormattedText.h"

#include <algorithm>

namespace swf::text {

namespace {
// Past this many distinct formats the table is rebuilt from the ones still used.
constexpr std::size_t kMaxFormats = 4096;
} // namespace

QString FormattedText::normaliseLineEnds(const QString& s) {
    QString out = s;
    out.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    out.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return out;
}

uint16_t FormattedText::intern(const TextFormat& f) {
    for (std::size_t i = 0; i < table_.size(); ++i)
        if (table_[i] == f)
            return static_cast<uint16_t>(i);
    if (table_.size() >= kMaxFormats) {
        std::vector<TextFormat> used;
        for (uint16_t& ix : index_) {
            const TextFormat& old = table_[ix];
            auto it = std::find(used.begin(), used.end(), old);
            if (it == used.end()) {
                used.push_back(old);
                it = used.end() - 1;
            }
            ix = static_cast<uint16_t>(it - used.begin());
        }
        table_ = std::move(used);
        // Every character may still have its own format; then the newest shares the last one.
        if (table_.size() >= kMaxFormats)
            return static_cast<uint16_t>(table_.size() - 1);
    }
    table_.push_back(f);
    return static_cast<uint16_t>(table_.size() - 1);
}

void FormattedText::clear() {
    text_.clear();
    index_.clear();
    table_.clear();
}

void FormattedText::replace(int from, int to, const QString& s, const TextFormat& f) {
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    const QString clean = normaliseLineEnds(s);
    const uint16_t ix = intern(f);
    text_.replace(from, to - from, clean);
    index_.erase(index_.begin() + from, index_.begin() + to);
    index_.insert(index_.begin() + from, static_cast<std::size_t>(clean.size()), ix);
}

std::pair<int, int> FormattedText::paragraphAt(int i) const {
    i = std::clamp(i, 0, length());
    int start = i > 0 ? static_cast<int>(text_.lastIndexOf(QLatin1Char('\r'), i - 1)) + 1 : 0;
    if (i < length() && text_[i] == QLatin1Char('\r'))
        start = i > 0 ? static_cast<int>(text_.lastIndexOf(QLatin1Char('\r'), i - 1)) + 1 : 0;
    int end = static_cast<int>(text_.indexOf(QLatin1Char('\r'), i));
    if (end < 0)
        end = length();
    return {start, end};
}

void FormattedText::applyFormat(int from, int to, const PartialTextFormat& p) {
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    PartialTextFormat charPart = p;
    charPart.align.reset();
    charPart.leftMargin.reset();
    charPart.rightMargin.reset();
    charPart.indent.reset();
    charPart.blockIndent.reset();
    charPart.leading.reset();
    charPart.bullet.reset();
    charPart.tabStops.reset();
    for (int i = from; i < to; ++i) {
        TextFormat f = formatAt(i);
        charPart.applyTo(f);
        index_[static_cast<std::size_t>(i)] = intern(f);
    }
    PartialTextFormat paraPart;
    paraPart.align = p.align;
    paraPart.leftMargin = p.leftMargin;
    paraPart.rightMargin = p.rightMargin;
    paraPart.indent = p.indent;
    paraPart.blockIndent = p.blockIndent;
    paraPart.leading = p.leading;
    paraPart.bullet = p.bullet;
    paraPart.tabStops = p.tabStops;
    if (length() == 0)
        return;
    int i = paragraphAt(from).first;
    const int last = to > from ? to - 1 : from;
    while (i <= last && i < length()) {
        const auto [start, end] = paragraphAt(i);
        for (int k = start; k <= std::min(end, length() - 1); ++k) {
            TextFormat f = formatAt(k);
            paraPart.applyTo(f);
            index_[static_cast<std::size_t>(k)] = intern(f);
        }
        i = end + 1;
    }
}

PartialTextFormat FormattedText::formatOf(int from, int to) const {
    if (length() == 0)
        return PartialTextFormat::from(TextFormat{});
    from = std::clamp(from, 0, length() - 1);
    to = std::clamp(to, from + 1, length());
    PartialTextFormat p = PartialTextFormat::from(formatAt(from));
    for (int i = from + 1; i < to; ++i)
        p.intersect(formatAt(i));
    return p;
}

} // namespace swf::text
