// The bytes of a download kept for reading back: memory first, then a temporary file, with
// reads that straddle the two and a limit that refuses what would pass it.

#include "swf/media/Spool.h"

#include <gtest/gtest.h>

using swf::media::Spool;

namespace {

QByteArray counting(int n, int from = 0) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(static_cast<char>((from + i) & 0xff));
    return b;
}

} // namespace

TEST(Spool, PiecesSpillToDiskAndReadBackAcrossTheSeam) {
    Spool spool(1000, 100);
    QByteArray all;
    for (int piece : {30, 60, 50, 7, 200}) {
        const QByteArray bytes = counting(piece, static_cast<int>(all.size()));
        ASSERT_TRUE(spool.append(bytes).ok());
        all += bytes;
    }
    EXPECT_EQ(spool.size(), all.size());
    EXPECT_TRUE(spool.onDisk());
    // Wholly in memory, across the seam, wholly on disk, past the end, nonsense.
    EXPECT_EQ(spool.read(5, 20), all.mid(5, 20));
    EXPECT_EQ(spool.read(90, 30), all.mid(90, 30));
    EXPECT_EQ(spool.read(150, 100), all.mid(150, 100));
    EXPECT_EQ(spool.read(340, 100), all.mid(340));
    EXPECT_TRUE(spool.read(all.size(), 1).isEmpty());
    EXPECT_TRUE(spool.read(-1, 5).isEmpty());
    EXPECT_TRUE(spool.read(3, -5).isEmpty());
    EXPECT_EQ(spool.read(0, all.size()), all);
}

TEST(Spool, TheLimitRefusesAPieceAndKeepsWhatCameBefore) {
    Spool spool(100, 40);
    ASSERT_TRUE(spool.append(counting(90)).ok());
    EXPECT_FALSE(spool.append(counting(11)).ok());
    EXPECT_EQ(spool.size(), 90);
    EXPECT_TRUE(spool.append(counting(10)).ok()) << "up to the limit is fine";
    EXPECT_EQ(spool.read(0, 200), counting(90) + counting(10));

    Spool small(1 << 20);
    ASSERT_TRUE(small.append(counting(1000)).ok());
    EXPECT_FALSE(small.onDisk()) << "a short clip stays in memory";
    EXPECT_EQ(Spool::ofBytes(counting(5))->read(0, 5), counting(5));
}
