// DefineButton, DefineButton2 and DefineButtonCxform: records of every state, condition
// actions, and damaged buttons.

#include "swf/format/Button.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"

#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::ButtonCondSpec;
using testsupport::ButtonRecordSpec;
using testsupport::SwfWriter;

namespace {

const swf::ButtonCharacter* buttonIn(const std::shared_ptr<swf::Movie>& movie, uint16_t id) {
    const auto* c = movie ? movie->character(id) : nullptr;
    return c && c->kind() == swf::Character::Kind::Button
               ? static_cast<const swf::ButtonCharacter*>(c)
               : nullptr;
}

std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message.toStdString());
    return r.ok() ? r.value() : nullptr;
}

QByteArray code(const char* text) {
    return ActionBuilder().push(text).trace().finish();
}

// Shapes 1..3 and a button 10 made of them: up (1), over and down (2), hit test (3).
std::vector<ButtonRecordSpec> threeStates() {
    ButtonRecordSpec up{swf::buttonstate::Up, 1, 1, QTransform::fromTranslate(200, 0), {}, {}};
    ButtonRecordSpec overDown{swf::buttonstate::Over | swf::buttonstate::Down,   2, 2, {},
                              std::array<int, 8>{256, 128, 0, 256, 10, 0, 0, 0}, 3};
    ButtonRecordSpec hit{swf::buttonstate::HitTest, 3, 3, {}, {}, {}};
    return {up, overDown, hit};
}

SwfWriter withShapes(int version = 8) {
    SwfWriter w(100, 100, 12, version);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.defineRectShape(2, QRect(0, 0, 10, 10), Qt::green);
    w.defineRectShape(3, QRect(0, 0, 20, 20), Qt::blue);
    return w;
}

} // namespace

TEST(Buttons, DefineButtonKeepsEveryStateAndItsReleaseAction) {
    SwfWriter w = withShapes(4);
    w.defineButton(10, threeStates(), code("clicked"));
    w.showFrame();
    const auto movie = load(w.finish());
    const auto* b = buttonIn(movie, 10);
    ASSERT_TRUE(b);
    ASSERT_EQ(b->records().size(), 3u);
    EXPECT_EQ(b->records()[1].states, swf::buttonstate::Over | swf::buttonstate::Down);
    EXPECT_EQ(b->records()[2].place.characterId, 3);
    EXPECT_EQ(b->records()[0].place.matrix->dx(), 200.0); // twips
    // The first version has no colour transforms in its records.
    EXPECT_FALSE(b->records()[1].place.colorTransform);
    ASSERT_EQ(b->actions().size(), 1u);
    EXPECT_EQ(b->actions()[0].conditions, swf::buttoncond::OverDownToOverUp);
    EXPECT_EQ(b->actions()[0].code, code("clicked"));
    // Nothing pointing at it yet: the up state is what is drawn.
    ASSERT_EQ(b->upState().frames.size(), 1u);
    ASSERT_EQ(b->upState().frames[0].commands.size(), 1u);
    EXPECT_EQ(std::get<swf::PlaceCommand>(b->upState().frames[0].commands[0]).characterId, 1);
}

TEST(Buttons, DefineButton2KeepsTransformsBlendModesAndConditionActionsInOrder) {
    SwfWriter w = withShapes();
    const uint16_t keyA = static_cast<uint16_t>('A' << 9);
    w.defineButton2(
        10, threeStates(),
        {ButtonCondSpec{swf::buttoncond::IdleToOverUp, code("over")},
         ButtonCondSpec{swf::buttoncond::OverDownToOverUp | swf::buttoncond::OverDownToIdle,
                        code("release")},
         ButtonCondSpec{keyA, code("key")}},
        true);
    w.showFrame();
    const auto movie = load(w.finish());
    const auto* b = buttonIn(movie, 10);
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->trackAsMenu());
    ASSERT_EQ(b->records().size(), 3u);
    const auto& cx = b->records()[1].place.colorTransform;
    ASSERT_TRUE(cx);
    EXPECT_FLOAT_EQ(cx->mul[1], 0.5f);
    EXPECT_FLOAT_EQ(cx->add[0], 10.0f);
    EXPECT_EQ(b->records()[1].place.blendMode, swf::BlendMode::Multiply);
    ASSERT_EQ(b->actions().size(), 3u);
    EXPECT_EQ(b->actions()[0].conditions, swf::buttoncond::IdleToOverUp);
    EXPECT_EQ(b->actions()[0].code, code("over"));
    EXPECT_EQ(b->actions()[1].conditions,
              swf::buttoncond::OverDownToOverUp | swf::buttoncond::OverDownToIdle);
    EXPECT_EQ(b->actions()[1].code, code("release"));
    EXPECT_EQ(swf::buttoncond::keyCode(b->actions()[2].conditions), 'A');
    EXPECT_EQ(b->actions()[2].code, code("key"));
}

TEST(Buttons, ButtonCxformAppliesToEveryRecordOfItsButtonOnly) {
    SwfWriter w = withShapes(4);
    w.defineButton(10, threeStates());
    w.defineButton(11, threeStates());
    w.defineButtonCxform(10, {256, 256, 0, 0, 0, 255});
    w.defineButtonCxform(99, {0, 0, 0, 0, 0, 0}); // no such button
    w.showFrame();
    const auto movie = load(w.finish());
    const auto* b = buttonIn(movie, 10);
    ASSERT_TRUE(b);
    for (const auto& record : b->records()) {
        ASSERT_TRUE(record.place.colorTransform);
        EXPECT_FLOAT_EQ(record.place.colorTransform->mul[2], 0.0f);
        EXPECT_FLOAT_EQ(record.place.colorTransform->add[2], 255.0f);
    }
    const auto& drawn = std::get<swf::PlaceCommand>(b->upState().frames[0].commands[0]);
    EXPECT_TRUE(drawn.colorTransform);
    const auto* other = buttonIn(movie, 11);
    ASSERT_TRUE(other);
    EXPECT_FALSE(other->records()[0].place.colorTransform);
}

// The body of the only tag a writer holds.
QByteArray onlyTagBody(const SwfWriter& w) {
    const QByteArray t = w.tagBytes();
    const int shortLength = static_cast<uint8_t>(t[0]) & 0x3f;
    return t.mid(shortLength == 0x3f ? 6 : 2);
}

QByteArray buttonBody(const std::vector<ButtonCondSpec>& actions) {
    SwfWriter probe(100, 100, 12, 8);
    probe.defineButton2(10, threeStates(), actions);
    return onlyTagBody(probe);
}

TEST(Buttons, DamagedConditionActionsKeepTheOnesBeforeAndTheRecords) {
    QByteArray body = buttonBody({ButtonCondSpec{swf::buttoncond::IdleToOverUp, code("first")},
                                  ButtonCondSpec{swf::buttoncond::OverUpToIdle, code("second")},
                                  ButtonCondSpec{swf::buttoncond::OverUpToIdle, code("third")}});
    // The second entry says the next one starts far outside the tag.
    const qsizetype second = body.indexOf(code("first")) + code("first").size();
    body[second] = '\x40';
    body[second + 1] = '\x7f';
    SwfWriter w = withShapes();
    w.tag(34, body);
    w.showFrame();
    const auto movie = load(w.finish());
    const auto* b = buttonIn(movie, 10);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->records().size(), 3u);
    ASSERT_EQ(b->actions().size(), 1u);
    EXPECT_EQ(b->actions()[0].code, code("first"));
}

TEST(Buttons, AnActionOffsetOutsideTheTagMeansNoActions) {
    QByteArray body = buttonBody({ButtonCondSpec{swf::buttoncond::IdleToOverUp, code("x")}});
    body[3] = '\xff';
    body[4] = '\x7f';
    SwfWriter w = withShapes();
    w.tag(34, body);
    w.showFrame();
    const auto movie = load(w.finish());
    const auto* b = buttonIn(movie, 10);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->records().size(), 3u);
    EXPECT_TRUE(b->actions().empty());
}

TEST(Buttons, ButtonsCutShortAnywhereAreRefusedOrReadNeverCrash) {
    const QByteArray body =
        buttonBody({ButtonCondSpec{swf::buttoncond::IdleToOverUp, code("first")},
                    ButtonCondSpec{swf::buttoncond::OverUpToIdle, code("second")}});
    for (qsizetype cut = 0; cut < body.size(); ++cut) {
        SwfWriter w = withShapes();
        w.tag(34, body.left(cut));
        w.showFrame();
        auto r = swf::loadMovie(w.finish());
        if (!r.ok())
            continue;
        if (const auto* b = buttonIn(r.value(), 10)) {
            EXPECT_EQ(b->records().size(), 3u) << cut;
            EXPECT_LE(b->actions().size(), 2u);
        }
    }
    SwfWriter probe(100, 100, 12, 4);
    probe.defineButton(10, threeStates(), code("x"));
    const QByteArray body1 = onlyTagBody(probe);
    for (qsizetype cut = 0; cut < body1.size(); ++cut) {
        SwfWriter w = withShapes(4);
        w.tag(7, body1.left(cut));
        w.showFrame();
        (void)swf::loadMovie(w.finish());
    }
}
