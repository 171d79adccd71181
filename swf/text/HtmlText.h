#pragma once

// The HTML subset of Flash text fields: <p align>, <br>, <font face size color>, <b>, <i>,
// <u>, <a href target>, <li>, <textformat> (leftmargin, rightmargin, indent, blockindent,
// leading, tabstops), <span class> and the entities &lt; &gt; &amp; &quot; &apos; &nbsp; with
// numeric ones. Like Flash, it never rejects input: unknown tags are dropped, their text kept.

#include "swf/text/FormattedText.h"
#include "swf/text/StyleSheet.h"

#include <QString>

namespace swf::text {

struct HtmlOptions {
    // condenseWhite: runs of white space become one space, line ends in the source none.
    bool condenseWhite = false;
    // The field's style sheet: tag selectors, .class selectors of class="" and a:link style
    // the text, and display none, block or inline hide a tag's text or set it apart.
    const StyleSheet* styles = nullptr;
};

// Parses html into text with formats, starting from base (the field's format).
FormattedText parseHtml(const QString& html, const TextFormat& base, HtmlOptions options = {});

// The htmlText Flash gives back for a formatted text.
QString toHtml(const FormattedText& text);

// Decodes the entities of a piece of text.
QString decodeEntities(const QString& s);

} // namespace swf::text
