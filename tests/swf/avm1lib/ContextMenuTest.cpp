#include "ScriptFixture.h"

namespace quarvel::test {
namespace {

class ContextMenuTest : public ScriptFixture {};

TEST_F(ContextMenuTest, BuiltInItemsHideAndCopiesAreDeep) {
    const Value menu = make("ContextMenu");
    EXPECT_TRUE(get(get(menu, "builtInItems"), "save").boolean());
    const Value item = make("ContextMenuItem", {Value("Open"), Value(1)});
    EXPECT_FALSE(get(item, "separatorBefore").boolean());
    EXPECT_TRUE(get(item, "visible").boolean());
    call(get(menu, "customItems"), "push", {item});
    call(menu, "hideBuiltInItems");
    EXPECT_FALSE(get(get(menu, "builtInItems"), "zoom").boolean());

    const Value copy = call(menu, "copy");
    EXPECT_FALSE(get(get(copy, "builtInItems"), "print").boolean());
    const Value copiedItem = get(get(copy, "customItems"), "0");
    EXPECT_EQ(str(get(copiedItem, "caption")), "Open");
    // The copy has items of its own: changing it leaves the original alone.
    set(copiedItem, "caption", Value("Save"));
    EXPECT_EQ(str(get(item, "caption")), "Open");
    set(get(copy, "builtInItems"), "print", Value(true));
    EXPECT_FALSE(get(get(menu, "builtInItems"), "print").boolean());
}

} // namespace
} // namespace quarvel::test
