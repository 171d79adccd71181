// Selection, caret, typing, the clipboard and links of a text field.

#include "swf/display/Stage.h"
#include "swf/display/TextField.h"

#include <QClipboard>
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
    invalidate();
}

void TextField::userChanged() {
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
    if (!editable_ || s.isEmpty())
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
    if (!editable_)
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
    if (!editable_ || password_ || selectionBegin() == selectionEnd())
        return;
    copySelection();
    replaceSel(QString());
    userChanged();
}

void TextField::paste() {
    if (!editable_)
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

std::pair<QString, QString> TextField::linkAt(QPointF local) const {
    if (static_)
        return {};
    const QPointF at = local - rect_.topLeft() + scrollOffset();
    const text::Layout& l = layout();
    for (const text::LayoutLine& line : l.lines) {
        if (at.y() < line.top || at.y() >= line.top + line.height())
            continue;
        for (const text::PlacedGlyph& g : line.glyphs) {
            if (at.x() < g.x || at.x() >= g.x + g.advance)
                continue;
            const text::TextFormat& f = content_.formatAt(g.charIndex);
            if (f.url.isEmpty())
                return {};
            return {f.url, f.target};
        }
    }
    return {};
}

bool TextField::showsCaret() const {
    return editable_ && stage().focus() == this;
}

} // namespace swf
