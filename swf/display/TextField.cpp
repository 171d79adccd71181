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

void TextField::resizeTo(std::optional<double> widthPx, std::optional<double> heightPx) {
    static constexpr double kMaxTwips = 1e8; // far past any stage, still exact in twips
    const auto resized = [](double px, double currentPx, double twips) {
        // Through whatever scale the field is shown at.
        const double t = currentPx > 0 ? twips * px / currentPx : px * 20;
        return std::clamp(t, 0.0, kMaxTwips);
    };
    // Negative and unnumbered sizes are ignored; an endless one overflows Flash's twips to
    // nothing.
    const auto usable = [](std::optional<double> px) {
        if (px && std::isinf(*px) && *px > 0)
            px = 0;
        return px && std::isfinite(*px) && *px >= 0 ? px : std::nullopt;
    };
    widthPx = usable(widthPx);
    heightPx = usable(heightPx);
    if (widthPx)
        rect_.setWidth(resized(*widthPx, width(), rect_.width()));
    if (heightPx)
        rect_.setHeight(resized(*heightPx, height(), rect_.height()));
    invalidate();
    checkScrolling();
}

// ---- content ----

void TextField::invalidate() {
    layout_.reset();
}

void TextField::setText(const QString& t) {
    // A styled field reads whatever it is given as HTML.
    if (styleSheet_) {
        setHtmlText(t);
        return;
    }
    htmlSource_.clear();
    content_.clear();
    content_.append(t, defaultFormat_);
    caret_ = anchor_ = std::min(caret_, content_.length());
    invalidate();
}

QString TextField::text() const {
    return content().text();
}

const text::FormattedText& TextField::content() const {
    refreshStyles();
    return content_;
}

QString TextField::htmlText() const {
    if (!html_)
        return text();
    // Styled text reads back as it was written: the sheet, not the text, holds its formats.
    if (styleSheet_)
        return htmlSource_.isEmpty() ? text() : htmlSource_;
    return text::toHtml(content_);
}

void TextField::setHtmlText(const QString& html) {
    // A field that is not an HTML field takes the markup as plain text, as in Flash; it is
    // kept, for a style sheet given later makes the field read it as HTML.
    if (!html_) {
        setText(html);
        htmlSource_ = html;
        return;
    }
    htmlSource_ = html;
    text::HtmlOptions options;
    options.condenseWhite = condenseWhite_;
    options.styles = styleSheet_.get();
    content_ = text::parseHtml(html, defaultFormat_, options);
    styleGeneration_ = styleSheet_ ? styleSheet_->generation() : 0;
    hoveredLink_ = pressedLink_ = {-1, -1};
    caret_ = anchor_ = std::min(caret_, content_.length());
    invalidate();
}

void TextField::setStyleSheet(std::shared_ptr<const text::StyleSheet> sheet) {
    if (sheet == styleSheet_)
        return;
    styleSheet_ = std::move(sheet);
    // Taking the sheet away leaves the text as the sheet formatted it, as in Flash.
    if (!styleSheet_)
        return;
    // Styles are for HTML: a field given a sheet reads its text as HTML from then on, what
    // it was given as HTML or, failing that, its text.
    html_ = true;
    setHtmlText(htmlSource_.isEmpty() ? text() : QString(htmlSource_));
}

void TextField::refreshStyles() const {
    if (!styleSheet_ || styleSheet_->generation() == styleGeneration_)
        return;
    styleGeneration_ = styleSheet_->generation();
    if (!html_ || htmlSource_.isEmpty())
        return;
    text::HtmlOptions options;
    options.condenseWhite = condenseWhite_;
    options.styles = styleSheet_.get();
    content_ = text::parseHtml(htmlSource_, defaultFormat_, options);
    layout_.reset();
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
    refreshStyles();
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
    refreshStyles();
    if (layout_ && faces_ && faces_->movie() == movie())
        return *layout_;
    text::LayoutOptions options;
    options.width = rect_.width();
    options.wordWrap = wordWrap_;
    options.multiline = multiline_;
    options.password = password_;
    // A link under the mouse is laid out in its a:hover (or, pressed, a:active) style.
    const text::FormattedText* shown = &content_;
    std::optional<text::FormattedText> styled;
    if (styleSheet_ && hoveredLink_.first >= 0 && hoveredLink_.second <= content_.length()) {
        const text::CssStyle* style =
            hoveredPressed_ ? styleSheet_->find(QStringLiteral("a:active")) : nullptr;
        if (!style)
            style = styleSheet_->find(QStringLiteral("a:hover"));
        if (style) {
            styled = content_;
            styled->applyFormat(hoveredLink_.first, hoveredLink_.second, style->format);
            shown = &*styled;
        }
    }
    layout_ = text::layoutText(*shown, options, faces());
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
                layout_ = text::layoutText(*shown, options, faces());
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
    return measureWith(faces(), s, f, wrapWidth);
}

TextField::Extent TextField::measure(const Movie* movie, const QString& s, const TextFormat& f,
                                     std::optional<double> wrapWidth) {
    const bool embedded =
        movie && text::MovieFaces::findFont(*movie, f.font, f.bold, f.italic) != nullptr;
    text::MovieFaces faces(movie, embedded, std::nullopt, text::DeviceFonts::system());
    return measureWith(faces, s, f, wrapWidth);
}

TextField::Extent TextField::measureWith(text::FaceResolver& faces, const QString& s,
                                         const TextFormat& f, std::optional<double> wrapWidth) {
    if (s.isEmpty())
        return Extent{}; // nothing to measure is nothing high, as in Flash
    FormattedText t;
    t.append(s, f);
    text::LayoutOptions options;
    options.width = wrapWidth ? *wrapWidth * 20 + 2 * text::kGutter : 1e9;
    options.wordWrap = wrapWidth.has_value();
    options.multiline = true;
    const text::Layout l = text::layoutText(t, options, faces);
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
    checkScrolling();
}

void TextField::wheel(int lines) {
    if (!mouseWheelEnabled_ || lines == 0 || static_)
        return;
    setScroll(scroll() - lines);
}

void TextField::checkScrolling(bool quietFirstLook) {
    if (static_ || !scrolled_)
        return;
    const int s = scroll(), h = hscroll(), m = maxScroll();
    // A look from outside that is the first one sees how the field started: no change.
    const bool first = !scrollingSeen_;
    scrollingSeen_ = true;
    if (s == toldScroll_ && h == toldHScroll_ && m == toldMaxScroll_)
        return;
    toldScroll_ = s;
    toldHScroll_ = h;
    toldMaxScroll_ = m;
    if (first && quietFirstLook)
        return;
    scrolled_();
}

void TextField::keepCaretInView() {
    const text::Layout& l = layout();
    if (l.lines.empty())
        return;
    const int line = l.lineOf(caret_);
    const int first = scroll() - 1;
    if (line < first) {
        scroll_ = line + 1;
    } else {
        // Scroll down until the caret's line is the last one that fits.
        const double room = rect_.height() - 2 * text::kGutter;
        const auto& lines = l.lines;
        const double bottom = lines[static_cast<std::size_t>(line)].top +
                              lines[static_cast<std::size_t>(line)].ascent +
                              lines[static_cast<std::size_t>(line)].descent;
        int top = first;
        while (top < line && bottom - lines[static_cast<std::size_t>(top)].top > room + 0.5)
            ++top;
        scroll_ = top + 1;
    }
    // Across: the caret stays inside the field's width, with a little room to see what comes.
    const double x = l.caretX(caret_) - text::kGutter;
    const double width = rect_.width() - 2 * text::kGutter;
    double h = hscroll_ * 20.0;
    if (x < h)
        h = std::max(0.0, x - width / 4);
    else if (x > h + width)
        h = x - width + width / 4;
    hscroll_ = std::clamp(static_cast<int>(std::ceil(h / 20)), 0, maxHScroll());
    checkScrolling();
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
    checkScrolling();
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
