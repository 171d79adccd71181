#include "swf/display/TextField.h"

#include "swf/format/EditText.h"
#include "swf/format/Font.h"
#include "swf/format/Movie.h"
#include "swf/format/Text.h"
#include "swf/format/TextEncoding.h"
#include "swf/text/HtmlText.h"
#include "swf/text/MovieFaces.h"

#include <algorithm>
#include <cmath>

namespace swf {

using text::Align;
using text::FormattedText;
using text::PartialTextFormat;
using text::TextFormat;

TextField::TextField(Stage& stage, std::shared_ptr<const Character> character, QRectF rect)
    : DisplayObject(Type::Text, stage, std::move(character)), rect_(rect) {}

TextField::~TextField() = default;

std::shared_ptr<TextField> TextField::fromEditText(Stage& stage, const Movie* movie,
                                                   std::shared_ptr<const EditTextCharacter> c) {
    const EditTextDefinition& d = c->definition();
    auto field = std::make_shared<TextField>(stage, c, d.bounds);
    field->wordWrap_ = d.wordWrap;
    field->multiline_ = d.multiline;
    field->password_ = d.password;
    field->editable_ = !d.readOnly;
    field->selectable_ = !d.noSelect;
    field->border_ = d.border;
    field->background_ = d.border; // the border flag draws both, as in Flash
    field->html_ = d.html;
    field->embedFonts_ = d.useOutlines;
    field->autoSize_ = d.autoSize ? AutoSize::Left : AutoSize::None;
    field->maxChars_ = d.maxLength.value_or(0);
    const int version = movie ? movie->header().version : 10;
    field->variable_ = decodeMovieString(d.variableName, version);
    TextFormat& f = field->defaultFormat_;
    bool shiftJis = false;
    if (d.fontId && movie) {
        field->fontId_ = d.fontId;
        if (auto font =
                std::dynamic_pointer_cast<const FontCharacter>(movie->characterShared(*d.fontId))) {
            f.font = font->name();
            f.bold = font->bold();
            f.italic = font->italic();
            shiftJis = font->shiftJis();
        }
    }
    f.size = d.fontHeight / 20;
    if (d.color)
        f.color = d.color->rgba();
    if (d.hasLayout) {
        f.align = d.align == 1   ? Align::Right
                  : d.align == 2 ? Align::Center
                  : d.align == 3 ? Align::Justify
                                 : Align::Left;
        f.leftMargin = d.leftMargin / 20;
        f.rightMargin = d.rightMargin / 20;
        f.indent = d.indent / 20;
        f.leading = d.leading / 20;
    }
    if (d.initialText) {
        const QString initial = decodeMovieString(*d.initialText, version, shiftJis);
        if (d.html)
            field->setHtmlText(initial);
        else
            field->setText(initial);
    }
    return field;
}

std::shared_ptr<TextField> TextField::fromStaticText(Stage& stage,
                                                     std::shared_ptr<const StaticTextCharacter> c) {
    auto field = std::make_shared<TextField>(stage, c, c->bounds());
    field->static_ = std::move(c);
    field->selectable_ = false;
    field->editable_ = false;
    return field;
}

const StaticTextCharacter* TextField::staticText() const {
    return static_.get();
}

QRectF TextField::rect() const {
    if (!static_)
        layout(); // auto-size may move the edges
    return rect_;
}

void TextField::setRect(QRectF twips) {
    rect_ = twips;
    invalidate();
}

// ---- content ----

void TextField::invalidate() {
    layout_.reset();
}

void TextField::setText(const QString& t) {
    content_.clear();
    content_.append(t, defaultFormat_);
    caret_ = anchor_ = std::min(caret_, content_.length());
    invalidate();
}

QString TextField::htmlText() const {
    if (!html_)
        return text();
    return text::toHtml(content_);
}

void TextField::setHtmlText(const QString& html) {
    // A field that is not an HTML field takes the markup as plain text, as in Flash.
    if (!html_) {
        setText(html);
        return;
    }
    content_ = text::parseHtml(html, defaultFormat_, {condenseWhite_});
    caret_ = anchor_ = std::min(caret_, content_.length());
    invalidate();
}

void TextField::replaceText(int begin, int end, const QString& s) {
    const int from = std::clamp(begin, 0, length());
    const int to = std::clamp(end, from, length());
    const TextFormat f = from < length() ? content_.formatAt(from) : defaultFormat_;
    content_.replace(from, to, s, from < to ? f : defaultFormat_);
    caret_ = anchor_ = std::clamp(from + static_cast<int>(s.size()), 0, length());
    invalidate();
}

// ---- formats ----

void TextField::setDefaultTextFormat(const PartialTextFormat& f) {
    f.applyTo(defaultFormat_);
}

PartialTextFormat TextField::textFormat(int begin, int end) const {
    if (length() == 0)
        return PartialTextFormat::from(defaultFormat_);
    if (begin < 0) {
        begin = 0;
        end = length();
    }
    return content_.formatOf(begin, end < 0 ? length() : end);
}

void TextField::setTextFormat(int begin, int end, const PartialTextFormat& f) {
    if (begin < 0) {
        begin = 0;
        end = length();
    } else if (end < 0) {
        end = begin + 1;
    }
    content_.applyFormat(begin, end, f);
    invalidate();
}

// ---- flags that change the layout ----

void TextField::setWordWrap(bool on) {
    wordWrap_ = on;
    invalidate();
}

void TextField::setMultiline(bool on) {
    multiline_ = on;
    invalidate();
}

void TextField::setPassword(bool on) {
    password_ = on;
    invalidate();
}

void TextField::setEmbedFonts(bool on) {
    embedFonts_ = on;
    faces_.reset();
    invalidate();
}

void TextField::setAutoSize(AutoSize a) {
    autoSize_ = a;
    invalidate();
}

// ---- layout ----

text::MovieFaces& TextField::faces() const {
    const Movie* m = movie();
    if (!faces_ || faces_->movie() != m || faces_->embed() != embedFonts_)
        faces_ = std::make_unique<text::MovieFaces>(m, embedFonts_, fontId_,
                                                    text::DeviceFonts::system());
    return *faces_;
}

const text::Layout& TextField::layout() const {
    if (layout_ && faces_ && faces_->movie() == movie())
        return *layout_;
    text::LayoutOptions options;
    options.width = rect_.width();
    options.wordWrap = wordWrap_;
    options.multiline = multiline_;
    options.password = password_;
    layout_ = text::layoutText(content_, options, faces());
    if (autoSize_ != AutoSize::None) {
        // The field grows or shrinks to its text: down always, across unless it wraps.
        const double height = layout_->textHeight * 20 + 2 * text::kGutter;
        rect_.setHeight(height);
        if (!wordWrap_) {
            const double width = std::ceil(layout_->textWidth) * 20 + 2 * text::kGutter;
            const double old = rect_.width();
            if (autoSize_ == AutoSize::Right)
                rect_.setLeft(rect_.right() - width);
            else if (autoSize_ == AutoSize::Center)
                rect_.setLeft(rect_.left() + (old - width) / 2);
            rect_.setWidth(width);
            if (std::abs(width - old) > 0.5) {
                options.width = width;
                layout_ = text::layoutText(content_, options, faces());
            }
        }
    }
    return *layout_;
}

namespace {

// Flash measures text in whole twips and reports whole pixels, the twips cut down.
double wholePixels(double px) {
    return std::floor(std::round(px * 20) / 20);
}

} // namespace

double TextField::textWidth() const {
    return wholePixels(layout().textWidth);
}

double TextField::textHeight() const {
    return wholePixels(layout().textHeight);
}

int TextField::lineCount() const {
    return static_cast<int>(layout().lines.size());
}

std::optional<TextField::LineMetrics> TextField::lineMetrics(int line) const {
    const auto& lines = layout().lines;
    if (line < 0 || line >= static_cast<int>(lines.size()))
        return std::nullopt;
    const text::LayoutLine& l = lines[static_cast<std::size_t>(line)];
    return LineMetrics{l.ascent / 20, l.descent / 20, l.leading / 20,
                       l.width / 20,  l.left / 20,    l.height() / 20};
}

TextField::Extent TextField::textExtent(const QString& s, const TextFormat& f,
                                        std::optional<double> wrapWidth) const {
    FormattedText t;
    t.append(s, f);
    text::LayoutOptions options;
    options.width = wrapWidth ? *wrapWidth * 20 + 2 * text::kGutter : 1e9;
    options.wordWrap = wrapWidth.has_value();
    options.multiline = true;
    const text::Layout l = text::layoutText(t, options, faces());
    Extent e;
    e.width = wholePixels(l.textWidth);
    e.height = wholePixels(l.textHeight);
    if (!l.lines.empty()) {
        e.ascent = l.lines.front().ascent / 20;
        e.descent = l.lines.front().descent / 20;
    }
    e.fieldWidth = e.width + 4;
    e.fieldHeight = e.height + 4;
    return e;
}

// ---- scrolling ----

int TextField::maxScroll() const {
    const auto& lines = layout().lines;
    if (lines.empty())
        return 1;
    // The first line from which every line to the end fits.
    const double room = rect_.height() - 2 * text::kGutter;
    const double bottom = lines.back().top + lines.back().ascent + lines.back().descent;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (bottom - lines[i].top <= room + 0.5)
            return static_cast<int>(i) + 1;
    return static_cast<int>(lines.size());
}

int TextField::scroll() const {
    return std::clamp(scroll_, 1, maxScroll());
}

void TextField::setScroll(int line) {
    scroll_ = std::clamp(line, 1, maxScroll());
}

int TextField::bottomScroll() const {
    const auto& lines = layout().lines;
    if (lines.empty())
        return 1;
    const int first = scroll() - 1;
    const double top = lines[static_cast<std::size_t>(first)].top;
    const double room = rect_.height() - 2 * text::kGutter;
    int last = first;
    for (std::size_t i = static_cast<std::size_t>(first); i < lines.size(); ++i) {
        if (lines[i].top + lines[i].ascent + lines[i].descent - top > room + 0.5 &&
            static_cast<int>(i) > first)
            break;
        last = static_cast<int>(i);
    }
    return last + 1;
}

int TextField::maxHScroll() const {
    const double overflow = layout().textWidth * 20 + 2 * text::kGutter - rect_.width();
    return std::max(0, static_cast<int>(std::ceil(overflow / 20)));
}

void TextField::setHScroll(int px) {
    hscroll_ = std::clamp(px, 0, maxHScroll());
}

QPointF TextField::scrollOffset() const {
    const auto& lines = layout().lines;
    const int first = scroll() - 1;
    const double dy =
        lines.empty() ? 0 : lines[static_cast<std::size_t>(first)].top - text::kGutter;
    return QPointF(std::min(hscroll_, maxHScroll()) * 20.0, dy);
}

QRectF TextField::localBounds() const {
    if (static_)
        return static_->bounds();
    return rect();
}

bool TextField::containsLocalPoint(QPointF localTwips) const {
    return localBounds().contains(localTwips);
}

} // namespace swf
