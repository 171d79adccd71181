// Text as movies script it: a TextField.StyleSheet given to a field and changed after, a
// TextSnapshot of a clip's static text, and TextFormat.getTextExtent.

#include "swf/PlayerHost.h"
#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/Vm.h"
#include "tests/support/ActionBuilder.h"
#include "tests/swf/text/TextTestSupport.h"

using testsupport::ActionBuilder;
using testsupport::FontSpec;
using testsupport::SwfWriter;
using testsupport::TextRecordSpec;

namespace {

class TraceHost : public swf::PlayerHost {
public:
    void trace(const QString& line) override { lines << line; }
    QStringList lines;
};

struct ScriptedMovie {
    explicit ScriptedMovie(const QByteArray& file) {
        auto movie = swf::loadMovie(file);
        EXPECT_TRUE(movie.ok());
        player = std::make_unique<swf::Player>(movie.value(), [&](swf::Stage& stage) {
            stage.setHost(&host);
            return std::make_unique<swf::avm1::Avm1Host>(stage);
        });
        player->setHost(&host);
        player->tick();
    }
    TraceHost host;
    std::unique_ptr<swf::Player> player;
};

// trace(object.method(args...)), the arguments pushed last first.
void traceCall(ActionBuilder& a, const QByteArray& object, const QByteArray& method,
               std::vector<testsupport::PushValue> reversedArgs) {
    const int n = static_cast<int>(reversedArgs.size());
    if (n)
        a.push(reversedArgs);
    a.push(n).get(object).push(method).callMethod().trace();
}

} // namespace

TEST(TextScript, AStyleSheetFormatsAFieldAndItsChangesFollow) {
    SwfWriter w(200, 100, 12);
    ActionBuilder a;
    // css = new TextField.StyleSheet();
    a.push("css").push(0).get("TextField").push("StyleSheet").newMethod().setVariable();
    traceCall(a, "css", "parseCSS", {".red { color: #FF0000; font-size: 20px }"});
    traceCall(a, "css", "parseCSS", {"broken { color: red"});
    // _root.createTextField("tf", 1, 0, 0, 100, 20); tf.styleSheet = css;
    a.push({20, 100, 0, 0, 1, "tf", 6, "_root"}).getVariable().push("createTextField");
    a.callMethod().pop();
    a.get("tf").push("styleSheet").get("css").setMember();
    a.get("tf").push({"htmlText", "<span class='red'>x</span>y"}).setMember();
    a.get("tf").push("html").getMember().trace();
    a.get("tf").push("text").getMember().trace();
    // trace(tf.getTextFormat(0, 1).color); trace(tf.getTextFormat(1, 2).color);
    a.push({1, 0, 2}).get("tf").push("getTextFormat").callMethod().push("color").getMember();
    a.trace();
    a.push({2, 1, 2}).get("tf").push("getTextFormat").callMethod().push("color").getMember();
    a.trace();
    // css.setStyle(".red", {color: "#0000FF"}): the field follows.
    a.push({"color", "#0000FF", 1}).initObject().push({".red", 2}).get("css");
    a.push("setStyle").callMethod().pop();
    a.push({1, 0, 2}).get("tf").push("getTextFormat").callMethod().push("color").getMember();
    a.trace();
    a.get("tf").push("htmlText").getMember().trace();
    // css.getStyle(".red").color and the transformed TextFormat in _styles.
    a.push({".red", 1}).get("css").push("getStyle").callMethod().push("color").getMember();
    a.trace();
    a.get("css").push("_styles").getMember().push(".red").getMember().push("color");
    a.getMember().trace();
    w.doAction(a.finish());
    w.showFrame();

    ScriptedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"true", "false", "true", "xy", "16711680", "0", "255",
                                         "<span class='red'>x</span>y", "#0000FF", "255"}));
}

TEST(TextScript, ASnapshotReadsFindsAndSelectsTheStaticText) {
    SwfWriter w(200, 100, 12);
    w.defineFont2(1, FontSpec::boxes(QStringLiteral("ABCDEF")));
    // Two lines: "ABC" and, 30 px lower, "DEF"; glyph i is the box of the i-th character.
    TextRecordSpec first;
    first.fontId = 1;
    first.height = 400;
    first.color = QColor(Qt::black);
    first.x = 0;
    first.y = 400;
    first.glyphs = {{0, 200}, {1, 200}, {2, 200}};
    TextRecordSpec second;
    second.y = 1000;
    second.x = 0;
    second.glyphs = {{3, 200}, {4, 200}, {5, 200}};
    w.defineText(2, QRect(0, 0, 4000, 2000), {}, {first, second}, 1);
    w.placeObject2(1, 2);
    ActionBuilder a;
    // s = _root.getTextSnapshot();
    a.push("s").push(0).get("_root").push("getTextSnapshot").callMethod().setVariable();
    traceCall(a, "s", "getCount", {});
    traceCall(a, "s", "getText", {true, 6, 0});
    traceCall(a, "s", "getText", {4, 1});
    traceCall(a, "s", "findText", {false, "cd", 0});
    traceCall(a, "s", "findText", {true, "cd", 0});
    traceCall(a, "s", "getCharIndexAtPoint", {20, 25});  // x 25 px, y 20 px: "C"
    traceCall(a, "s", "getCharIndexAtPoint", {90, 190}); // nowhere
    a.push({true, 5, 2, 3}).get("s").push("setSelected").callMethod().pop();
    traceCall(a, "s", "getSelectedText", {false});
    traceCall(a, "s", "getSelected", {2, 0});
    traceCall(a, "s", "getSelected", {6, 4});
    // Made from nothing, a snapshot knows nothing.
    a.push("e").push(0).get("TextSnapshot").newMethod().setVariable();
    traceCall(a, "e", "getCount", {});
    w.doAction(a.finish());
    w.showFrame();

    ScriptedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"6", "ABC\nDEF", "BCD", "2", "-1", "2", "-1", "CDE",
                                         "false", "true", "undefined"}));
}

TEST(TextScript, GetTextExtentMeasuresInTheFormat) {
    SwfWriter w(200, 100, 12);
    ActionBuilder a;
    // f = new TextFormat("_sans", 20);
    a.push("f").push({20, "_sans", 2}).push("TextFormat").newObject().setVariable();
    // e = f.getTextExtent(""); trace(e.width); trace(e.height);
    a.push("e").push({"", 1}).get("f").push("getTextExtent").callMethod().setVariable();
    a.get("e").push("width").getMember().trace();
    a.get("e").push("height").getMember().trace();
    a.push("e").push({"Hello", 1}).get("f").push("getTextExtent").callMethod().setVariable();
    a.get("e").push("width").getMember().push(20).less2().trace(); // wider than 20 px: false
    a.get("e").push("textFieldWidth").getMember().get("e").push("width").getMember();
    a.subtract().trace();
    w.doAction(a.finish());
    w.showFrame();

    ScriptedMovie m(w.finish());
    EXPECT_EQ(m.host.lines, (QStringList{"0", "0", "false", "4"}));
}

TEST(TextScript, OnScrollerHearsWhenTextMovesTheScrolling) {
    SwfWriter w(200, 100, 12);
    ActionBuilder a;
    // _root.createTextField("tf", 1, 0, 0, 100, 20); tf.multiline = true;
    a.push({20, 100, 0, 0, 1, "tf", 6, "_root"}).getVariable().push("createTextField");
    a.callMethod().pop();
    a.get("tf").push({"multiline", true}).setMember();
    // tf.onScroller = function (f) { trace("scroller " + (f == tf)); };
    ActionBuilder body;
    body.push("scroller ").push("f").getVariable().get("tf").equals2().add2().trace();
    a.get("tf").push("onScroller").defineFunction("", {"f"}, body).setMember();
    a.get("tf").push({"text", "one"}).setMember();
    w.doAction(a.finish());
    w.showFrame();
    ActionBuilder b;
    b.get("tf").push({"text", "one\rtwo\rthree\rfour"}).setMember();
    w.doAction(b.finish());
    w.showFrame();
    ActionBuilder c;
    c.get("tf").push({"scroll", 3}).setMember();
    c.push("done").trace().stop();
    w.doAction(c.finish());
    w.showFrame();

    ScriptedMovie m(w.finish());
    m.player->tick();
    m.player->tick();
    EXPECT_EQ(m.host.lines, (QStringList{"scroller true", "scroller true", "done"}))
        << "not for how the field started; after the frame whose script grew the text; at "
           "once when script scrolls";
}

TEST(TextScript, AnAsfunctionLinkCallsTheMoviesFunction) {
    SwfWriter w(200, 100, 12);
    w.defineFont2(1, FontSpec::boxes(QStringLiteral("abcdef")));
    testsupport::EditTextSpec field;
    field.bounds = QRect(0, 0, 200 * 20, 40 * 20);
    field.fontId = 1;
    field.fontHeight = 400;
    field.useOutlines = true;
    field.html = true;
    field.readOnly = true;
    field.initialText = "<a href=\"asfunction:picked,two, three\">abc</a>";
    w.defineEditText(2, field);
    w.placeObject2(1, 2);
    ActionBuilder a;
    // function picked(s) { trace("picked " + s); }
    ActionBuilder body;
    body.push("picked ").push("s").getVariable().add2().trace();
    a.defineFunction("picked", {"s"}, body);
    a.stop();
    w.doAction(a.finish());
    w.showFrame();

    ScriptedMovie m(w.finish());
    m.player->stage()->mouseDown(QPointF(12 * 20, 10 * 20));
    EXPECT_TRUE(m.host.lines.isEmpty()) << "nothing on the press";
    m.player->stage()->mouseUp(QPointF(12 * 20, 10 * 20));
    EXPECT_EQ(m.host.lines, QStringList{"picked two, three"});
}
