// Selection, caret, typing, the clipboard and links of a text field.

#include "swf/display/Stage.h"
#include "swf/display/TextField.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <algorithm>

namespace swf {

namespace {

QClipboard* clipboard() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app ? QGuiApplication::clipboard() : nullptr;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

// The caret is on for this long, then off as long.
constexpr qint64 kBlinkMs = 500;

// Presses are numbered so that only the last one can end in a link being followed.
uint64_t lastPress = 0;

// The field whose link the mouse is over, so that leaving it for another clears its style.
std::weak_ptr<TextField>& hoveredField() {
    static std::weak_ptr<TextField> field;
    return field;
}

} // namespace

void TextField::setSelection(int begin, int end) {
    const int n = length();
    anchor_ = std::clamp(begin, 0, n);
    caret_ = std::clamp(end, 0, n);
}

void TextField::moveCaret(int to, bool extend) {
    caret_ = std::clamp(to, 0, length());
    if (!extend)
        anchor_ = caret_;
    caretEpochMs_ = nowMs();
    if (editable_)
        keepCaretInView();
}

void TextField::replaceSel(const QString& s) {
    QString insert = text::FormattedText::normaliseLineEnds(s);
    if (!multiline_ && editable_) {
        // A one-line input field keeps only the first line of what is pasted into it.
        const qsizetype cut = insert.indexOf(QLatin1Char('\r'));
        if (cut >= 0)
            insert.truncate(cut);
    }
    const int begin = selectionBegin(), end = selectionEnd();
    if (maxChars_ > 0) {
        const int room = maxChars_ - (length() - (end - begin));
        if (room <= 0)
            insert.clear();
        else if (insert.size() > room)
            insert.truncate(room);
    }
    // New text takes the format of the character before it, as in Flash.
    const text::TextFormat f = begin > 0
                                   ? content_.formatAt(begin - 1)
                                   : (begin < length() ? content_.formatAt(begin) : defaultFormat_);
    content_.replace(begin, end, insert, f);
    caret_ = anchor_ = begin + static_cast<int>(insert.size());
    htmlSource_.clear();
    invalidate();
}

void TextField::userChanged() {
    caretEpochMs_ = nowMs();
    keepCaretInView();
    if (changed_)
        changed_();
}

bool TextField::allowedByRestrict(char32_t c) const {
    if (restrict_.isEmpty())
        return true;
    const std::u32string r = restrict_.toStdU32String();
    // A restriction that starts by excluding allows everything else.
    bool allowed = r.front() == U'^';
    bool including = true;
    for (std::size_t i = 0; i < r.size(); ++i) {
        char32_t from = r[i];
        if (from == U'^') {
            including = !including;
            continue;
        }
        if (from == U'\\' && i + 1 < r.size())
            from = r[++i];
        char32_t to = from;
        if (i + 2 < r.size() && r[i + 1] == U'-') {
            to = r[i + 2];
            if (to == U'\\' && i + 3 < r.size())
                to = r[++i + 2];
            i += 2;
        }
        if (c >= from && c <= to)
            allowed = including;
    }
    return allowed;
}

void TextField::textInput(const QString& s) {
    if (!typable() || s.isEmpty())
        return;
    QString kept;
    for (char32_t c : s.toStdU32String())
        if (allowedByRestrict(c))
            kept += QString::fromUcs4(&c, 1);
    if (kept.isEmpty())
        return;
    replaceSel(kept);
    userChanged();
}

bool TextField::keyInput(int keyCode, char32_t character, bool shift, bool control) {
    const QString& t = text();
    const int n = length();
    if (control) {
        switch (keyCode) {
        case 65: // A
            setSelection(0, n);
            return true;
        case 67: // C
            copySelection();
            return true;
        case 88: // X
            cutSelection();
            return true;
        case 86: // V
            paste();
            return true;
        default:
            break;
        }
    }
    switch (keyCode) {
    case 37: { // left
        int to = selectionBegin() != selectionEnd() && !shift ? selectionBegin() : caret_ - 1;
        if (control)
            while (to > 0 && !isWordChar(t[to - 1]))
                --to;
        if (control)
            while (to > 0 && isWordChar(t[to - 1]))
                --to;
        moveCaret(to, shift);
        return true;
    }
    case 39: { // right
        int to = selectionBegin() != selectionEnd() && !shift ? selectionEnd() : caret_ + 1;
        if (control)
            while (to < n && isWordChar(t[to]))
                ++to;
        moveCaret(to, shift);
        return true;
    }
    case 36: // home
        moveCaret(control ? 0
                  : layout().lines.empty()
                      ? 0
                      : layout().lines[static_cast<std::size_t>(layout().lineOf(caret_))].start,
                  shift);
        return true;
    case 35: // end
        moveCaret(control ? n
                  : layout().lines.empty()
                      ? n
                      : layout().lines[static_cast<std::size_t>(layout().lineOf(caret_))].end,
                  shift);
        return true;
    case 38:   // up
    case 40: { // down
        const text::Layout& l = layout();
        if (l.lines.empty())
            return true;
        const int line = l.lineOf(caret_) + (keyCode == 38 ? -1 : 1);
        if (line < 0)
            moveCaret(0, shift);
        else if (line >= static_cast<int>(l.lines.size()))
            moveCaret(n, shift);
        else
            moveCaret(l.charAt(QPointF(l.caretX(caret_),
                                       l.lines[static_cast<std::size_t>(line)].top + 1)),
                      shift);
        return true;
    }
    default:
        break;
    }
    if (!typable())
        return false;
    if (keyCode == 8 || keyCode == 46) { // backspace, delete
        if (selectionBegin() == selectionEnd()) {
            if (keyCode == 8 && caret_ == 0)
                return true;
            if (keyCode == 46 && caret_ == n)
                return true;
            int from = keyCode == 8 ? caret_ - 1 : caret_;
            int to = from + 1;
            // A character outside the first plane goes as a whole.
            if (keyCode == 8 && from > 0 && t[from].isLowSurrogate() &&
                t[from - 1].isHighSurrogate())
                --from;
            if (keyCode == 46 && to < n && t[from].isHighSurrogate() && t[to].isLowSurrogate())
                ++to;
            setSelection(from, to);
        }
        replaceSel(QString());
        userChanged();
        return true;
    }
    if (keyCode == 13) {
        if (!multiline_)
            return false;
        replaceSel(QStringLiteral("\r"));
        userChanged();
        return true;
    }
    if (control || character < 0x20 || character == 0x7f)
        return false;
    if (!allowedByRestrict(character))
        return true; // swallowed: the field takes no such character
    replaceSel(QString::fromUcs4(&character, 1));
    userChanged();
    return true;
}

void TextField::copySelection() {
    if (password_ || selectionBegin() == selectionEnd())
        return; // Flash never lets a password out
    if (QClipboard* c = clipboard()) {
        QString s = text().mid(selectionBegin(), selectionEnd() - selectionBegin());
        s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        c->setText(s);
    }
}

void TextField::cutSelection() {
    if (!typable() || password_ || selectionBegin() == selectionEnd())
        return;
    copySelection();
    replaceSel(QString());
    userChanged();
}

void TextField::paste() {
    if (!typable())
        return;
    if (QClipboard* c = clipboard()) {
        const QString s = c->text();
        if (s.isEmpty())
            return;
        replaceSel(s);
        userChanged();
    }
}

void TextField::pointerDown(QPointF local, bool extend) {
    if (!selectable_ && !editable_)
        return;
    const QPointF at = local - rect_.topLeft() + scrollOffset();
    moveCaret(layout().charAt(at), extend);
}

void TextField::pointerDrag(QPointF local) {
    if (!selectable_ && !editable_)
        return;
    const QPointF at = local - rect_.topLeft() + scrollOffset();
    moveCaret(layout().charAt(at), true);
}

std::pair<int, int> TextField::linkRangeAt(QPointF local) const {
    if (static_ || !visible())
        return {-1, -1};
    const QPointF at = local - rect_.topLeft() + scrollOffset();
    const text::Layout& l = layout();
    for (const text::LayoutLine& line : l.lines) {
        if (at.y() < line.top || at.y() >= line.top + line.height())
            continue;
        for (const text::PlacedGlyph& g : line.glyphs) {
            if (at.x() < g.x || at.x() >= g.x + g.advance)
                continue;
            if (g.charIndex >= content_.length())
                return {-1, -1};
            const QString& url = content_.formatAt(g.charIndex).url;
            if (url.isEmpty())
                return {-1, -1};
            // The whole run of characters that go to the same place.
            int from = g.charIndex, to = g.charIndex + 1;
            while (from > 0 && content_.formatAt(from - 1).url == url)
                --from;
            while (to < content_.length() && content_.formatAt(to).url == url)
                ++to;
            return {from, to};
        }
    }
    return {-1, -1};
}

std::pair<QString, QString> TextField::linkAt(QPointF local) const {
    const auto [from, to] = linkRangeAt(local);
    if (from < 0)
        return {};
    const text::TextFormat& f = content_.formatAt(from);
    return {f.url, f.target};
}

void TextField::pressLink(TextField* field, QPointF stagePoint) {
    ++lastPress;
    if (!field)
        return;
    field->pressedLink_ = field->linkRangeAt(field->globalToLocal(stagePoint));
    field->pressSerial_ = lastPress;
    if (field->pressedLink_.first >= 0)
        field->setHoveredLink(field->pressedLink_, true);
}

std::pair<QString, QString> TextField::releaseLink(QPointF local) {
    const auto pressed = pressedLink_;
    pressedLink_ = {-1, -1};
    const auto under = linkRangeAt(local);
    if (under.first >= 0)
        setHoveredLink(under, false);
    if (pressSerial_ != lastPress || pressed.first < 0 || under != pressed)
        return {};
    const text::TextFormat& f = content_.formatAt(under.first);
    return {f.url, f.target};
}

void TextField::setHoveredLink(std::pair<int, int> range, bool pressed) {
    if (range == hoveredLink_ && pressed == hoveredPressed_)
        return;
    const bool styled = styleSheet_ && (styleSheet_->find(QStringLiteral("a:hover")) ||
                                        styleSheet_->find(QStringLiteral("a:active")));
    hoveredLink_ = range;
    hoveredPressed_ = pressed;
    if (styled)
        invalidate();
}

void TextField::trackLinkHover(DisplayObject* under, QPointF stagePoint, bool buttonDown) {
    TextField* field = under ? under->asTextField() : nullptr;
    auto previous = hoveredField().lock();
    if (previous && previous.get() != field) {
        previous->setHoveredLink({-1, -1}, false);
        hoveredField().reset();
    }
    if (!field)
        return;
    const auto range = field->linkRangeAt(field->globalToLocal(stagePoint));
    // While the button is down, only the link it went down on is active.
    const bool pressed = buttonDown && range.first >= 0 && range == field->pressedLink_ &&
                         field->pressSerial_ == lastPress;
    field->setHoveredLink(range, pressed);
    if (range.first >= 0)
        hoveredField() = std::static_pointer_cast<TextField>(field->shared_from_this());
}

bool TextField::showsCaret() const {
    if (!typable() || stage().focus() != this)
        return false;
    const qint64 since = nowMs() - caretEpochMs_;
    return since < 0 || (since / kBlinkMs) % 2 == 0;
}

} // namespace swf
