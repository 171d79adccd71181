#pragma once

// A text field on the display tree: an edit text of the movie (DefineEditText), a field made by
// createTextField, or a static text (DefineText), which only draws its records. Edit text holds
// formatted text, lays it out on demand and takes keyboard input when it is an input field.
//
// Script uses it the way Flash's TextField object behaves: text and htmlText read and write
// the content (setting one replaces the other's), the flags are plain properties, textWidth,
// textHeight, scroll, maxScroll, bottomScroll, hscroll and maxHScroll come from the layout,
// textExtent measures a string in a format (getTextExtent), and the selection is
// selectionBegin/End with setSelection and replaceSel.

#include "swf/display/DisplayObject.h"
#include "swf/text/FormattedText.h"
#include "swf/text/StyleSheet.h"
#include "swf/text/TextLayout.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace swf {

class EditTextCharacter;
class StaticTextCharacter;
namespace text {
class MovieFaces;
}

class TextField final : public DisplayObject {
public:
    enum class AutoSize { None, Left, Center, Right };

    // rect in twips of its own space; character may be null (script-made) or an edit text.
    TextField(Stage& stage, std::shared_ptr<const Character> character, QRectF rect);
    ~TextField() override;
    // A field as DefineEditText describes it, with its initial text decoded for the movie's
    // version.
    static std::shared_ptr<TextField> fromEditText(Stage& stage, const Movie* movie,
                                                   std::shared_ptr<const EditTextCharacter> c);
    // A static text (DefineText); it draws its records and has no content of its own.
    static std::shared_ptr<TextField> fromStaticText(Stage& stage,
                                                     std::shared_ptr<const StaticTextCharacter> c);
    const StaticTextCharacter* staticText() const;
    // Static text: the characters TextSnapshot.setSelected marked, by their order in the
    // records, and the colour they are shown selected in.
    std::vector<bool>& snapshotSelection() { return snapshotSelection_; }
    QRgb snapshotSelectColor() const { return snapshotSelectColor_; }
    void setSnapshotSelectColor(QRgb c) { snapshotSelectColor_ = c; }

    QRectF rect() const;
    void setRect(QRectF twips);
    // _width and _height from script: an edit text is made that big, not stretched to it.
    void resizeTo(std::optional<double> widthPx, std::optional<double> heightPx);

    // ---- content ----
    QString text() const;
    void setText(const QString& t);
    // The text in Flash's HTML subset when the field is an HTML field; otherwise both read
    // and write the plain text, as in Flash.
    QString htmlText() const;
    void setHtmlText(const QString& html);
    const text::FormattedText& content() const;
    int length() const { return content().length(); }
    // Replaces [begin, end) with s in the default format (replaceText).
    void replaceText(int begin, int end, const QString& s);

    // ---- style sheet ----
    // The styles HTML text is shown in (null: none). The field keeps the HTML it was given and
    // formats it again whenever the sheet changes; htmlText then reads back that HTML, and
    // nobody can type into the field. A field given a sheet becomes an HTML field.
    void setStyleSheet(std::shared_ptr<const text::StyleSheet> sheet);
    const text::StyleSheet* styleSheet() const { return styleSheet_.get(); }

    // ---- formats ----
    const text::TextFormat& defaultTextFormat() const { return defaultFormat_; }
    void setDefaultTextFormat(const text::PartialTextFormat& f);
    // getTextFormat(begin, end): the values shared by that range.
    text::PartialTextFormat textFormat(int begin, int end) const;
    // setTextFormat(begin, end, f); a negative begin means the whole text.
    void setTextFormat(int begin, int end, const text::PartialTextFormat& f);

    // ---- flags ----
    bool html() const { return html_; }
    void setHtml(bool on) { html_ = on; }
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);
    bool multiline() const { return multiline_; }
    void setMultiline(bool on);
    bool password() const { return password_; }
    void setPassword(bool on);
    bool selectable() const { return selectable_; }
    void setSelectable(bool on) { selectable_ = on; }
    // An input field (type "input") takes keyboard focus and typing.
    bool editable() const { return editable_; }
    // Typing reaches the text: an input field without a style sheet.
    bool typable() const { return editable_ && !styleSheet_; }
    void setEditable(bool on) { editable_ = on; }
    bool embedFonts() const { return embedFonts_; }
    void setEmbedFonts(bool on);
    AutoSize autoSize() const { return autoSize_; }
    void setAutoSize(AutoSize a);
    bool condenseWhite() const { return condenseWhite_; }
    void setCondenseWhite(bool on) { condenseWhite_ = on; }
    // The characters typing may enter (TextField.restrict): ranges "a-z", "^" excluding what
    // follows, "\\" escaping; empty or null allows everything. Script edits are not held to it.
    const QString& restrict() const { return restrict_; }
    void setRestrict(const QString& r) { restrict_ = r; }
    bool allowedByRestrict(char32_t c) const;
    // 0: no limit.
    int maxChars() const { return maxChars_; }
    void setMaxChars(int n) { maxChars_ = std::max(0, n); }
    bool border() const { return border_; }
    void setBorder(bool on) { border_ = on; }
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(QColor c) { borderColor_ = c; }
    bool background() const { return background_; }
    void setBackground(bool on) { background_ = on; }
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(QColor c) { backgroundColor_ = c; }
    // The variable the field shows (DefineEditText's VariableName), as script resolves it.
    const QString& variable() const { return variable_; }
    void setVariable(const QString& v) { variable_ = v; }

    // ---- measurement, pixels ----
    // textWidth and textHeight in whole pixels as script reads them; layout() has the twips.
    double textWidth() const;
    double textHeight() const;
    // getTextExtent: the size of s in format f, laid out on one line (or wrapped at
    // wrapWidth pixels when given), and the field size that would hold it.
    struct Extent {
        double width = 0, height = 0;
        double ascent = 0, descent = 0;
        double fieldWidth = 0, fieldHeight = 0;
    };
    Extent textExtent(const QString& s, const text::TextFormat& f,
                      std::optional<double> wrapWidth = std::nullopt) const;
    // The same for a movie without a field (TextFormat.getTextExtent): the movie's own font
    // of the format's name when it has one, an installed one otherwise.
    static Extent measure(const Movie* movie, const QString& s, const text::TextFormat& f,
                          std::optional<double> wrapWidth = std::nullopt);
    // Line metrics of line i (0-based): ascent, descent, leading, width, x (pixels).
    struct LineMetrics {
        double ascent = 0, descent = 0, leading = 0, width = 0, x = 0, height = 0;
    };
    std::optional<LineMetrics> lineMetrics(int line) const;
    int lineCount() const;

    // ---- scrolling (1-based lines, pixels across) ----
    int scroll() const;
    void setScroll(int line);
    // The wheel over the field moves it by lines (positive: towards the top of the text).
    bool mouseWheelEnabled() const { return mouseWheelEnabled_; }
    void setMouseWheelEnabled(bool on) { mouseWheelEnabled_ = on; }
    void wheel(int lines);
    // Called whenever scroll, hscroll or maxscroll changed (onScroller); checked after every
    // change the field makes or hears of, and by script's host after each frame's scripts
    // (quietFirstLook: the first such look only notes how the field started).
    void setScrollHandler(std::function<void()> handler) { scrolled_ = std::move(handler); }
    void checkScrolling(bool quietFirstLook = false);
    int maxScroll() const;
    int bottomScroll() const;
    int hscroll() const { return hscroll_; }
    void setHScroll(int px);
    int maxHScroll() const;

    // ---- selection and typing ----
    int selectionBegin() const { return std::min(anchor_, caret_); }
    int selectionEnd() const { return std::max(anchor_, caret_); }
    int caretIndex() const { return caret_; }
    void setSelection(int begin, int end);
    // Replaces the selection with s (what typing and pasting do); maxChars is heeded.
    void replaceSel(const QString& s);
    // A key pressed while the field has focus: keyCode is Flash's, character the Unicode
    // character it types (0 if none). True when the field used it.
    bool keyInput(int keyCode, char32_t character, bool shift, bool control);
    // Committed input method text (Chinese typing).
    void textInput(const QString& s);
    // Clipboard through the host's clipboard functions (null: the application clipboard).
    void copySelection();
    void cutSelection();
    void paste();
    // The mouse pressed or dragged at a point of the field's own space (twips).
    void pointerDown(QPointF localTwips, bool extend);
    void pointerDrag(QPointF localTwips);
    // The link (url, target) under a point of the field's own space; empty when none.
    std::pair<QString, QString> linkAt(QPointF localTwips) const;
    // A link acts when the button is released over the link it was pressed on. pressLink
    // notes every press of the mouse (on a field or not, which forgets earlier ones);
    // releaseLink gives the link to follow.
    static void pressLink(TextField* field, QPointF stageTwips);
    std::pair<QString, QString> releaseLink(QPointF localTwips);
    // The mouse is over the field (or, with null, over no field): a link under it is shown in
    // the style sheet's a:hover style, a:active while the button is down on it.
    static void trackLinkHover(DisplayObject* under, QPointF stageTwips, bool buttonDown);
    // Called after the user changed the text (typing, pasting, cutting): onChanged.
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
    // The caret blinks while the field has focus, and stays on for a moment after each key or
    // click so it is seen where it went; the painter asks.
    bool showsCaret() const;

    // The layout the painter draws; rebuilt when anything it depends on changed.
    const text::Layout& layout() const;
    // The scroll offset in twips the painter applies (lines scrolled off the top, hscroll).
    QPointF scrollOffset() const;

    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

private:
    void invalidate();
    void userChanged();
    void moveCaret(int to, bool extend);
    text::MovieFaces& faces() const;
    static Extent measureWith(text::FaceResolver& faces, const QString& s,
                              const text::TextFormat& f, std::optional<double> wrapWidth);
    // Formats the held HTML again when the style sheet changed since.
    void refreshStyles() const;
    // The character range of the link at a point, or (-1, -1).
    std::pair<int, int> linkRangeAt(QPointF localTwips) const;
    void setHoveredLink(std::pair<int, int> range, bool pressed);
    void keepCaretInView();

    std::shared_ptr<const StaticTextCharacter> static_;
    std::vector<bool> snapshotSelection_;
    QRgb snapshotSelectColor_ = 0xFFFFFF00; // Flash's yellow
    mutable QRectF rect_;
    mutable text::FormattedText content_;
    std::shared_ptr<const text::StyleSheet> styleSheet_;
    mutable uint64_t styleGeneration_ = 0;
    QString htmlSource_; // what htmlText was given, formatted again when the styles change
    text::TextFormat defaultFormat_;
    QString variable_;
    QString restrict_;
    bool html_ = false;
    bool wordWrap_ = false;
    bool multiline_ = false;
    bool password_ = false;
    bool selectable_ = true;
    bool editable_ = false;
    bool embedFonts_ = false;
    bool condenseWhite_ = false;
    AutoSize autoSize_ = AutoSize::None;
    int maxChars_ = 0;
    bool border_ = false;
    QColor borderColor_ = Qt::black;
    bool background_ = false;
    QColor backgroundColor_ = Qt::white;
    std::optional<uint16_t> fontId_;
    int scroll_ = 1;
    int hscroll_ = 0;
    int anchor_ = 0;
    int caret_ = 0;
    std::function<void()> changed_;
    std::function<void()> scrolled_;
    bool mouseWheelEnabled_ = true;
    // What onScroller was last told of: scroll, hscroll, maxscroll.
    int toldScroll_ = 1, toldHScroll_ = 0, toldMaxScroll_ = 1;
    bool scrollingSeen_ = false;
    std::pair<int, int> hoveredLink_{-1, -1};
    bool hoveredPressed_ = false;
    std::pair<int, int> pressedLink_{-1, -1};
    uint64_t pressSerial_ = 0;
    qint64 caretEpochMs_ = 0; // when the caret last moved; it blinks from there
    mutable std::unique_ptr<text::MovieFaces> faces_;
    mutable std::optional<text::Layout> layout_;
};

} // namespace swf
