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

uint16_t FormattedText::intern(const TextFormat& given) {
    const TextFormat f = given.sanitized();
    const std::size_t h = f.hash();
    const auto [first, last] = byHash_.equal_range(h);
    for (auto it = first; it != last; ++it)
        if (table_[it->second] == f)
            return it->second;
    if (table_.size() >= kMaxFormats && saturated_)
        return static_cast<uint16_t>(table_.size() - 1);
    if (table_.size() >= kMaxFormats) {
        std::vector<TextFormat> used;
        std::unordered_map<uint16_t, uint16_t> moved;
        for (uint16_t& ix : index_) {
            auto it = moved.find(ix);
            if (it == moved.end()) {
                used.push_back(table_[ix]);
                it = moved.emplace(ix, static_cast<uint16_t>(used.size() - 1)).first;
            }
            ix = it->second;
        }
        table_ = std::move(used);
        ++generation_;
        byHash_.clear();
        for (std::size_t i = 0; i < table_.size(); ++i)
            byHash_.emplace(table_[i].hash(), static_cast<uint16_t>(i));
        // Nearly every character still has its own format: new ones share the last one until
        // text is taken away, rather than compacting again on every call.
        saturated_ = table_.size() >= kMaxFormats * 3 / 4;
        if (table_.size() >= kMaxFormats)
            return static_cast<uint16_t>(table_.size() - 1);
    }
    table_.push_back(f);
    const auto ix = static_cast<uint16_t>(table_.size() - 1);
    byHash_.emplace(h, ix);
    return ix;
}

void FormattedText::clear() {
    text_.clear();
    index_.clear();
    table_.clear();
    byHash_.clear();
    saturated_ = false;
}

void FormattedText::replace(int from, int to, const QString& s, const TextFormat& f) {
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    const QString clean = normaliseLineEnds(s);
    if (to > from)
        saturated_ = false; // formats may have gone with the text
    text_.replace(from, to - from, clean);
    index_.erase(index_.begin() + from, index_.begin() + to);
    // Interned after the old characters went, so their formats can make room.
    const uint16_t ix = intern(f);
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
    // Neighbours mostly share a format: each distinct one is changed and interned once.
    std::unordered_map<uint16_t, uint16_t> changed;
    const auto change = [&](int i, const PartialTextFormat& part) {
        const uint16_t old = index_[static_cast<std::size_t>(i)];
        const auto it = changed.find(old);
        if (it != changed.end()) {
            index_[static_cast<std::size_t>(i)] = it->second;
            return;
        }
        TextFormat f = table_[old];
        part.applyTo(f);
        const uint64_t generation = generation_;
        const uint16_t now = intern(f);
        // A compacted table renumbered every format: what was remembered no longer holds.
        if (generation != generation_)
            changed.clear();
        else
            changed.emplace(old, now);
        index_[static_cast<std::size_t>(i)] = now;
    };
    for (int i = from; i < to; ++i)
        change(i, charPart);
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
        changed.clear();
        for (int k = start; k <= std::min(end, length() - 1); ++k)
            change(k, paraPart);
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
