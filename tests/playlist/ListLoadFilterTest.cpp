#include "playlist/ListLoadFilter.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using playlist::ListLoadFilter;

namespace {

// What loading does, one entry at a time: add it unless it occurs in the lines added so far
// joined by line breaks; an empty entry is never present.
std::vector<bool> plainLoad(const QStringList& values) {
    QString joined;
    int lines = 0;
    std::vector<bool> kept;
    for (const QString& v : values) {
        const bool present = !v.isEmpty() && joined.contains(v);
        kept.push_back(!present);
        if (!present) {
            if (lines++ > 0)
                joined += u'\n';
            joined += v;
        }
    }
    return kept;
}

} // namespace

TEST(ListLoadFilterTest, AgreesWithLoadingOneEntryAtATime) {
    // A small alphabet with a Chinese character, lengths from 0 to 40 with now and then a
    // line of a few thousand, and values copied from earlier ones (whole, in part, or
    // altered), so that every branch answers both ways many times.
    QRandomGenerator random(42);
    auto text = [&](int length) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += QStringLiteral("abc路")[random.bounded(4)];
        return s;
    };
    for (int round = 0; round < 30; ++round) {
        QStringList values;
        const int count = 50 + random.bounded(400);
        for (int i = 0; i < count; ++i) {
            const int kind = random.bounded(10);
            if (kind < 4 || values.isEmpty()) {
                values.append(text(random.bounded(12)));
            } else if (kind < 6) {
                values.append(text(random.bounded(60) == 0 ? 2000 + random.bounded(3000)
                                                           : 9 + random.bounded(30)));
            } else {
                const QString& earlier = values[random.bounded(int(values.size()))];
                QString v =
                    earlier.mid(random.bounded(int(earlier.size()) + 1), random.bounded(20));
                if (kind == 9 && !v.isEmpty())
                    v[random.bounded(int(v.size()))] = u'd';
                values.append(v);
            }
        }
        const auto kept = ListLoadFilter::keep(values);
        ASSERT_TRUE(kept.has_value());
        ASSERT_EQ(*kept, plainLoad(values)) << "round " << round;
    }
}

TEST(ListLoadFilterTest, EdgeCases) {
    EXPECT_EQ(ListLoadFilter::keep({})->size(), 0u);
    // Duplicates, containment both ways, empty values, exactly 8 and 9 bytes.
    const QStringList values = {"", "abcdefgh", "abcdefghi",   "bcdefghi",   "abcdefgh",
                                "", "x",        "xabcdefghiy", "abcdefghiy", "hix"};
    EXPECT_EQ(*ListLoadFilter::keep(values), plainLoad(values));
    // A value with a line break could match across lines; that is left to the caller.
    EXPECT_FALSE(ListLoadFilter::keep({"a", "b\nc"}).has_value());
}
