// Painting figures of the skinned interface, one line each: the window frame drawn from the
// default skin at 800 x 600 and at 1920 x 1080 (painting alone, and a resize that lays the
// frame out and rebuilds the window's shape), and a DeltaHue change broadcast to a skinned
// window, and a panel of every skinned control painted once.
//   bench_skin_paint [iterations] [skin file]
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <QGridLayout>

#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinCheckBox.h"
#include "skin/controls/TSeSkinEdit.h"
#include "skin/controls/TSeSkinForm.h"
#include "skin/controls/TSeSkinGroupBox.h"
#include "skin/controls/TSeSkinLabel.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinProgressBar.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSpinButton.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinToolBar.h"
#include "skin/controls/TSeSkinTrackBar.h"
#include "skin/engine/TSeSkinEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

double medianMs(int iterations, const std::function<void()>& work) {
    std::vector<double> times;
    times.reserve(std::size_t(iterations));
    for (int i = 0; i < iterations; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void line(const char* what, double ms) {
    std::printf("%-44s %9.3f ms\n", what, ms);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform warns at every window shape; the figures are what matters here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const QString skinFile =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(QUARVEL_DEFAULT_SKIN_PATH);
    QFile packed(skinFile);
    if (!packed.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(skinFile));
        return 1;
    }
    skin::TSeSkinEngine engine;
    engine.readSkinStream(QByteArray(1, '\x02') + packed.readAll());

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quarvel系列_FLASH播放器"));
    auto* frame = new skin::TSeSkinForm(&window);
    frame->setSkinEngine(&engine);
    frame->loaded();
    window.show();
    QApplication::processEvents();
    if (!frame->isSkinned()) {
        std::fprintf(stderr, "the skin has no form object\n");
        return 1;
    }
    std::printf("skin %s, %d iterations, median of each\n", qPrintable(skinFile), iterations);

    for (const QSize size : {QSize(800, 600), QSize(1920, 1080)}) {
        window.resize(size);
        QApplication::processEvents();
        QImage target(size, QImage::Format_ARGB32_Premultiplied);
        const double paint = medianMs(iterations, [&] {
            QPainter p(&target);
            window.render(&p);
        });
        char label[64];
        std::snprintf(label, sizeof label, "frame paint %dx%d", size.width(), size.height());
        line(label, paint);
        // A new size: layout, client margins, the window's shape from the masked bitmaps.
        int step = 0;
        const double resize =
            medianMs(iterations, [&] { window.resize(size + QSize(0, (++step % 2) ? 1 : 0)); });
        std::snprintf(label, sizeof label, "frame resize %dx%d", size.width(), size.height());
        line(label, resize);
    }

    window.resize(800, 600);
    QApplication::processEvents();
    int hue = 0;
    const double broadcast = medianMs(iterations, [&] {
        hue = hue == 60 ? 0 : 60;
        engine.setDeltaHue(hue);
    });
    line("DeltaHue change broadcast (one window)", broadcast);

    // Every kind of skinned control, a few of each, as the player's windows hold them.
    QWidget panel;
    auto* grid = new QGridLayout(&panel);
    int row = 0;
    auto add = [&](auto* control) {
        control->setSkinEngine(&engine);
        grid->addWidget(control, row / 4, row % 4);
        ++row;
    };
    for (int i = 0; i < 3; ++i) {
        add(new skin::TSeSkinButton(&panel));
        add(new skin::TSeSkinEdit(&panel));
        add(new skin::TSeSkinLabel(&panel));
        add(new skin::TSeSkinCheckBox(&panel));
        add(new skin::TSeSkinSpinButton(&panel));
        add(new skin::TSeSkinGroupBox(&panel));
        add(new skin::TSeSkinSpeedButton(&panel));
        add(new skin::TSeSkinTrackBar(&panel));
        add(new skin::TSeSkinProgressBar(&panel));
        add(new skin::TSeSkinPanel(&panel));
        add(new skin::TSeSkinToolBar(&panel));
        add(new skin::TSeSkinStatusBar(&panel));
    }
    panel.resize(800, 600);
    panel.show();
    QApplication::processEvents();
    QImage target(panel.size(), QImage::Format_ARGB32_Premultiplied);
    const double controls = medianMs(iterations, [&] {
        QPainter p(&target);
        panel.render(&p);
    });
    char label[64];
    std::snprintf(label, sizeof label, "%d skinned controls, 800x600", row);
    line(label, controls);
    return 0;
}
