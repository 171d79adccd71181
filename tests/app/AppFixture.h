#pragma once

// A main window with a registered Flash control, in an isolated environment, for widget tests.

#include "app/TForm1.h"
#include "flash/host/TShockwaveFlash.h"
#include "platform/Process.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace apptest {

inline int registerControl() {
    return platform::RunCommandAndWait(
        QStringLiteral("\"%1\" /s \"%2\"").arg(REGSVR32_PATH, SWFLASH_PATH), 0, {});
}

using testsupport::waitFor;

struct Call {
    int dispId;
    QVariantList args;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(registerControl(), 0);
        createForm();
    }
    void TearDown() override { form.reset(); }
    void createForm(QStringList arguments = {}) {
        form = std::make_unique<app::TForm1>(std::move(arguments), settingsFile());
        form->ShockwaveFlash1().OnInvoke = [this](int id, const QVariantList& args) {
            calls.push_back({id, args});
        };
        form->show();
    }
    QString settingsFile() const { return env.file("Flash.ini"); }
    QString writeMovie(const QString& name, const QByteArray& bytes) {
        return testsupport::writeFile(env.file(name), bytes);
    }
    QString panelText(int i) { return form->SeSkinStatusBar1->Panels()[i].Text(); }
    std::vector<QVariantList> callsOf(int dispId) const {
        std::vector<QVariantList> out;
        for (const Call& c : calls)
            if (c.dispId == dispId)
                out.push_back(c.args);
        return out;
    }

    testsupport::IsolatedEnvironment env;
    std::unique_ptr<app::TForm1> form;
    std::vector<Call> calls;
};

} // namespace apptest
