#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/TSeSkinEngine.h"
#include "tests/support/StoredSkin.h"

namespace boxtest {

// An engine holding the player's own skin, as the main window has it.
inline std::unique_ptr<skin::TSeSkinEngine> playerSkinEngine() {
    auto engine = std::make_unique<skin::TSeSkinEngine>();
    const QByteArray stream =
        testsupport::storedSkinStream(QStringLiteral(QUARVEL_DEFAULT_SKIN_PATH));
    EXPECT_TRUE(engine->readSkinStream(stream)) << QUARVEL_DEFAULT_SKIN_PATH;
    return engine;
}

// The boxes' measuring units, computed here from their definition.
struct Units {
    int x, y;
};
inline Units unitsOf(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ") +
                                           QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    return {width / 52, fm.height()};
}

// MulDiv for the positive values of the formulas.
inline int md(int a, int b, int c) {
    return (a * b + c / 2) / c;
}

} // namespace boxtest
