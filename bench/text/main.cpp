// Text layout and drawing speed, on one thread, at 800x600.
//
//   bench_text [--loops N] [--save DIR]
//
// (a) a 2,000-character multi-line field of mixed HTML formats (sizes, bold, italic,
//     colours, links, Chinese and Latin in installed fonts): the time to lay it out from
//     scratch and to draw a frame of it;
// (b) a screen of 200 static text records in an embedded font: the time to draw a frame.
// Each figure is the median of N runs in milliseconds, processor time of the process.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/MovieLoader.h"
#include "swf/text/StyleSheet.h"
#include "tests/support/SwfWriter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using testsupport::SwfWriter;

namespace {

constexpr int kW = 800, kH = 600;

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString mixedHtml() {
    static const char* words[] = {"Flash",  "movie", "文字",   "排版",  "player", "text", "测试",
                                  "layout", "中文",  "format", "quick", "brown",  "fox"};
    QString html;
    int chars = 0, i = 0;
    while (chars < 2000) {
        if (i % 40 == 0)
            html += QStringLiteral("<p align=\"%1\">")
                        .arg(i % 80 == 0 ? QStringLiteral("left") : QStringLiteral("center"));
        const QString w = QString::fromUtf8(words[i % 13]);
        switch (i % 6) {
        case 0:
            html += QStringLiteral("<b>%1</b> ").arg(w);
            break;
        case 1:
            html += QStringLiteral("<font size=\"%1\" color=\"#%2\">%3</font> ")
                        .arg(10 + i % 14)
                        .arg((i * 2654435761u) & 0xffffff, 6, 16, QLatin1Char('0'))
                        .arg(w);
            break;
        case 2:
            html += QStringLiteral("<i>%1</i> ").arg(w);
            break;
        case 3:
            html += QStringLiteral("<a href=\"http://example.com/\"><u>%1</u></a> ").arg(w);
            break;
        case 4:
            html += QStringLiteral("<font face=\"_serif\">%1</font> ").arg(w);
            break;
        default:
            html += w + QLatin1Char(' ');
            break;
        }
        chars += static_cast<int>(w.size()) + 1;
        if (i % 40 == 39)
            html += QStringLiteral("</p>");
        ++i;
    }
    return html;
}

std::shared_ptr<swf::Movie> staticTextMovie() {
    SwfWriter w(kW, kH, 30);
    w.setBackgroundColor(Qt::white);
    // An embedded font with curved glyphs, like real ones: each glyph an octagon ring.
    testsupport::FontSpec font;
    font.name = "Bench";
    font.ascent = 800;
    font.descent = 200;
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        testsupport::GlyphSpec g;
        g.code = c;
        QPolygon outer, inner;
        for (int k = 0; k < 16; ++k) {
            const double a = k * 3.14159265 / 8;
            outer << QPoint(250 + static_cast<int>(240 * std::cos(a)),
                            -350 + static_cast<int>(340 * std::sin(a)));
            inner.prepend(QPoint(250 + static_cast<int>(120 * std::cos(a)),
                                 -350 + static_cast<int>(200 * std::sin(a))));
        }
        g.contours = {outer, inner};
        g.advance = 560;
        font.glyphs.push_back(g);
    }
    w.defineFont2(1, font);
    std::vector<testsupport::TextRecordSpec> records;
    for (int r = 0; r < 200; ++r) {
        testsupport::TextRecordSpec rec;
        rec.fontId = 1;
        rec.height = 200 + (r % 5) * 40;
        rec.color = QColor::fromHsv((r * 29) % 360, 220, 160);
        rec.x = (r % 4) * 4000;
        rec.y = 300 + (r / 4) * 230;
        for (int g = 0; g < 24; ++g)
            rec.glyphs.push_back({static_cast<uint32_t>((r + g) % 26), rec.height * 560 / 1024});
        records.push_back(rec);
    }
    w.defineText(2, QRect(0, 0, kW * 20, kH * 20), {}, records, 2);
    w.placeObject2(1, 2);
    w.showFrame();
    return swf::loadMovie(w.finish()).value();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int loops = 20;
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--loops"));
    if (at >= 0 && at + 1 < args.size())
        loops = std::max(3, args[at + 1].toInt());
    const qsizetype saveAt = args.indexOf(QStringLiteral("--save"));
    const QString saveDir = saveAt >= 0 && saveAt + 1 < args.size() ? args[saveAt + 1] : QString();

    QImage img(kW, kH, QImage::Format_ARGB32_Premultiplied);
    swf::RenderOptions options;
    options.quality = swf::RenderQuality::High;

    // (a) the HTML field.
    {
        SwfWriter w(kW, kH, 30);
        w.setBackgroundColor(Qt::white);
        w.showFrame();
        swf::Player player(swf::loadMovie(w.finish()).value(), swf::Player::withoutScripts());
        auto made =
            player.stage()->root().createTextField(QStringLiteral("t"), 1, QRectF(0, 0, kW, kH));
        swf::TextField* field = made.value();
        field->setMultiline(true);
        field->setWordWrap(true);
        field->setHtml(true);
        const QString html = mixedHtml();
        field->setHtmlText(html);
        field->layout(); // the installed fonts load once, as in a running player
        std::vector<double> layout, draw;
        for (int i = 0; i < loops; ++i) {
            double t = cpuMs();
            field->setHtmlText(html);
            field->layout();
            layout.push_back(cpuMs() - t);
            img.fill(Qt::white);
            QPainter p(&img);
            t = cpuMs();
            player.render(p, QRectF(0, 0, kW, kH), options);
            draw.push_back(cpuMs() - t);
        }
        if (!saveDir.isEmpty())
            img.save(saveDir + QStringLiteral("/html-field.png"));
        std::printf("html field: %d characters, %d lines\n", field->length(), field->lineCount());
        std::printf("  parse and lay out: %.2f ms\n", median(layout));
        std::printf("  draw a frame:      %.2f ms (%.0f fps)\n", median(draw),
                    1000 / std::max(0.01, median(draw)));

        // The same HTML under a style sheet: the sheet read from CSS, then the text formatted
        // again as a change of the sheet makes it.
        const QString css = QStringLiteral(
            "p { font-family: _sans; font-size: 14px; margin-left: 4; } .note { color: #336699; "
            "font-style: italic } a:link { color: #0000FF; text-decoration: underline } "
            "a:hover { color: #FF0000 } b { font-weight: bold } li { text-indent: 2 }");
        std::vector<double> restyle;
        auto sheet = std::make_shared<swf::text::StyleSheet>();
        field->setStyleSheet(sheet);
        for (int i = 0; i < loops; ++i) {
            const double t = cpuMs();
            const auto rules = swf::text::parseCss(css);
            for (const auto& [selector, props] : *rules)
                sheet->set(selector, swf::text::cssStyle(props));
            field->layout();
            restyle.push_back(cpuMs() - t);
        }
        std::printf("  style sheet: read, format again and lay out: %.2f ms\n", median(restyle));
    }

    // (b) 200 static text records.
    {
        swf::Player player(staticTextMovie(), swf::Player::withoutScripts());
        std::vector<double> draw;
        for (int i = 0; i < loops; ++i) {
            img.fill(Qt::white);
            QPainter p(&img);
            const double t = cpuMs();
            player.render(p, QRectF(0, 0, kW, kH), options);
            draw.push_back(cpuMs() - t);
        }
        if (!saveDir.isEmpty())
            img.save(saveDir + QStringLiteral("/static-text.png"));
        std::printf("static text: 200 records of 24 glyphs\n");
        std::printf("  draw a frame:      %.2f ms (%.0f fps)\n", median(draw),
                    1000 / std::max(0.01, median(draw)));
    }
    return 0;
}
