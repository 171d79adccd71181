// Child layout when bounds change, and deep copies.
#include <gtest/gtest.h>

#include "ModelFixtures.h"
#include "skin/format/ObjectStreamer.h"
#include "skin/model/TSeBitmapObject.h"

using namespace skin;

namespace {

TSeSkinObject& child(TSeSkinObject& parent, TSeAlign align, QRect r, const char* name = "") {
    auto c = std::make_unique<TSeSkinObject>();
    c->Align = align;
    c->setName(name);
    c->setStoredBounds(r.left(), r.top(), r.width(), r.height());
    return parent.addChild(std::move(c));
}

QRect edges(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

} // namespace

TEST(Layout, TheDefaultFormAt595x391GivesTheDocumentedRectangles) {
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    auto form = s.formObject()->clone();
    TSeSkinObject* closeButton = form->findObject("Close");
    const int closeLeft = closeButton->left();
    EXPECT_EQ(closeLeft, 278);
    form->setBounds(0, 0, 595, 391);
    EXPECT_EQ(form->findObject("Left")->boundsRect(), edges(0, 0, 4, 391));
    EXPECT_EQ(form->findObject("Right")->boundsRect(), edges(590, 0, 595, 391));
    EXPECT_EQ(form->findObject("Caption")->boundsRect(), edges(4, 0, 590, 22));
    EXPECT_EQ(form->findObject("Bottom")->boundsRect(), edges(4, 386, 590, 391));
    EXPECT_EQ(form->findObject("Client")->boundsRect(), edges(4, 22, 590, 386));
    EXPECT_EQ(closeButton->left(), closeLeft + 295);
    EXPECT_EQ(closeButton->top(), 3);
    // Laying out again at the same size moves nothing further, nor does drawing.
    form->layoutChildren();
    EXPECT_EQ(closeButton->left(), closeLeft + 295);
    // And back to the stored size puts everything where the skin has it.
    form->setBounds(0, 0, 300, 250);
    EXPECT_EQ(closeButton->left(), 278);
    EXPECT_EQ(form->findObject("Caption")->boundsRect(), QRect(4, 0, 291, 22));
}

TEST(Layout, FollowsTheStepOrder) {
    TSeSkinObject root;
    root.setStoredBounds(0, 0, 100, 100);
    // Listed so that child order differs from step order.
    auto& client = child(root, TSeAlign::saClient, QRect(0, 0, 1, 1));
    auto& left = child(root, TSeAlign::saLeft, QRect(0, 0, 10, 1));
    auto& top = child(root, TSeAlign::saTop, QRect(0, 0, 1, 7));
    auto& mostLeft = child(root, TSeAlign::saMostLeft, QRect(0, 0, 5, 1));
    auto& mostTop = child(root, TSeAlign::saMostTop, QRect(0, 0, 1, 3));
    auto& mostBottom = child(root, TSeAlign::saMostBottom, QRect(0, 0, 1, 4));
    auto& right = child(root, TSeAlign::saRight, QRect(0, 0, 6, 1));
    auto& bottom = child(root, TSeAlign::saBottom, QRect(0, 0, 1, 2));
    auto& mostRight = child(root, TSeAlign::saMostRight, QRect(0, 0, 8, 1));
    auto& center = child(root, TSeAlign::saCenter, QRect(0, 0, 11, 11));
    auto& hidden = child(root, TSeAlign::saMostTop, QRect(0, 0, 1, 50));
    hidden.setVisible(false);
    root.setBounds(0, 0, 200, 120);
    EXPECT_EQ(mostTop.boundsRect(), edges(0, 0, 200, 3));
    EXPECT_EQ(mostBottom.boundsRect(), edges(0, 116, 200, 120));
    EXPECT_EQ(mostLeft.boundsRect(), edges(0, 3, 5, 116));
    EXPECT_EQ(mostRight.boundsRect(), edges(192, 3, 200, 116));
    EXPECT_EQ(top.boundsRect(), edges(5, 3, 192, 10));
    EXPECT_EQ(bottom.boundsRect(), edges(5, 114, 192, 116));
    EXPECT_EQ(left.boundsRect(), edges(5, 10, 15, 114));
    EXPECT_EQ(right.boundsRect(), edges(186, 10, 192, 114));
    EXPECT_EQ(client.boundsRect(), edges(15, 10, 186, 114));
    // Centred in what is left, offsets halved toward zero: (171 - 11) / 2, (104 - 11) / 2.
    EXPECT_EQ(center.boundsRect(), QRect(15 + 80, 10 + 46, 11, 11));
    EXPECT_EQ(hidden.height(), 50);
}

TEST(Layout, AnchoredChildrenMoveByTheSizeChangeOnly) {
    TSeSkinObject root;
    root.setStoredBounds(0, 0, 100, 50);
    auto& topRight = child(root, TSeAlign::saTopRight, QRect(90, 2, 8, 8));
    auto& grandChild = child(topRight, TSeAlign::saNone, QRect(91, 3, 2, 2));
    auto& bottomLeft = child(root, TSeAlign::saBottomLeft, QRect(2, 40, 8, 8));
    auto& bottomRight = child(root, TSeAlign::saBottomRight, QRect(90, 40, 8, 8));
    auto& fixed = child(root, TSeAlign::saTopLeft, QRect(1, 1, 3, 3));
    topRight.setVisible(false); // step 8 covers invisible children too
    root.setBounds(0, 0, 130, 70);
    EXPECT_EQ(topRight.boundsRect(), QRect(120, 2, 8, 8));
    EXPECT_EQ(grandChild.boundsRect(), QRect(91, 3, 2, 2));
    EXPECT_EQ(bottomLeft.boundsRect(), QRect(2, 60, 8, 8));
    EXPECT_EQ(bottomRight.boundsRect(), QRect(120, 60, 8, 8));
    EXPECT_EQ(fixed.boundsRect(), QRect(1, 1, 3, 3));
    // A parent that had no size gives no reference to move by.
    TSeSkinObject empty;
    auto& anchored = child(empty, TSeAlign::saTopRight, QRect(5, 0, 2, 2));
    empty.setBounds(0, 0, 40, 40);
    EXPECT_EQ(anchored.left(), 5);
}

TEST(Layout, SettingEqualBoundsDoesNothingAndNegativeSizesBecomeZero) {
    TSeSkinObject root;
    root.setStoredBounds(0, 0, 100, 50);
    auto& topRight = child(root, TSeAlign::saTopRight, QRect(90, 2, 8, 8));
    root.setBounds(0, 0, 100, 50);
    EXPECT_EQ(topRight.left(), 90);
    root.setWidth(-5);
    EXPECT_EQ(root.width(), 0);
    EXPECT_EQ(topRight.left(), -10);
    root.setHeight(-1);
    EXPECT_EQ(root.height(), 0);
}

TEST(Layout, TextChildrenTakeTheWidthOfTheirText) {
    TSeSkinObject root;
    root.setStoredBounds(0, 0, 100, 20);
    auto& text = child(root, TSeAlign::saText, QRect(10, 0, 1, 20));
    text.TextMarginLeft = 4;
    text.TextMarginRight = 6;
    text.setText(QStringLiteral("播放列表"));
    root.setBounds(0, 0, 120, 20);
    EXPECT_EQ(text.left(), 10);
    EXPECT_EQ(text.width(), text.textWidth(text.text()) + 10);
    EXPECT_GT(text.width(), 30);
}

TEST(Copying, ADeepCopyHasTheSameClassesPropertiesAndImages) {
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    const ObjectStreamer streamer(skintest::registry());
    for (const auto& original : s.objects()) {
        auto copy = original->clone();
        EXPECT_EQ(streamer.writeText(*copy), streamer.writeText(*original));
        EXPECT_EQ(copy->parent(), nullptr);
    }
    TSeSkinObject* caption = s.findObject("Form")->findObject("Caption");
    auto copy = caption->clone();
    auto* copied = dynamic_cast<TSeBitmapObject*>(copy.get());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->Bitmap.image, static_cast<TSeBitmapObject*>(caption)->Bitmap.image);
    EXPECT_EQ(copy->children().size(), caption->children().size());
    EXPECT_EQ(copy->children()[0]->parent(), copy.get());
    copy->setBounds(0, 0, 10, 10);
    copy->findObject("Close")->setText("x");
    EXPECT_EQ(caption->width(), 291);
    EXPECT_TRUE(caption->findObject("Close")->text().isEmpty());
}
