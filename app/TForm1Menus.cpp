#include "app/TForm1.h"

#include "app/KeyboardPreview.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinPopupMenu.h"

#include <initializer_list>

// The menu bar, the movie's context menu and the keyboard table: every entry in its order with
// its handler. Entries without a handler stay inert.

namespace app {

namespace {

using Handler = void (TForm1::*)(QObject*);

// One entry of a menu table: its caption, the form member that names it (if any), its handler
// (if any) and its sub-entries.
struct Entry {
    const char* caption;
    skin::TSeSkinItem* TForm1::*member = nullptr;
    Handler handler = nullptr;
    const char* name = nullptr;
    std::initializer_list<Entry> children = {};
};

void build(TForm1& form, skin::TSeSkinItem& parent, std::initializer_list<Entry> entries) {
    for (const Entry& e : entries) {
        skin::TSeSkinItem::NotifyEvent onClick;
        if (e.handler)
            onClick = form.guarded(e.handler);
        skin::TSeSkinItem* item = parent.Add(QString::fromUtf8(e.caption), std::move(onClick));
        if (e.name)
            item->setObjectName(QLatin1String(e.name));
        if (e.member)
            form.*(e.member) = item;
        build(form, *item, e.children);
    }
}

} // namespace

void TForm1::createMenus() {
    using F = TForm1;
    SeSkinMenuBar1 = new skin::TSeSkinMenuBar(this);
    SeSkinMenuBar1->setObjectName(QStringLiteral("SeSkinMenuBar1"));
    MainMenu = SeSkinMenuBar1->Items();
    // clang-format off
    build(*this, *MainMenu, {
        {"文件", nullptr, nullptr, nullptr, {
            {"打开(O)", nullptr, &F::SeSkinSpeedButton1Click, "CustomItem1"},
            {"打开Internet上文件(I)", nullptr, &F::SeSkinSpeedButton2Click, "CustomItem2"},
            {"将EXE换成SWF文件(C)", &F::CustomItem16, &F::CustomItem16Click, "CustomItem16"},
            {"网络下载．．．", nullptr, &F::CustomItem69Click, "CustomItem69"},
            {"退出(Esc)", &F::CustomItem3, &F::CustomItem3Click, "CustomItem3"},
        }},
        {"界面", &F::CustomItem39, nullptr, "CustomItem39", {
            {"显示工具栏(F2)", &F::CustomItem41, &F::CustomItem41Click, "CustomItem41"},
            {"显示主控区(F3)", &F::CustomItem45, &F::CustomItem45Click, "CustomItem45"},
            {"显示播放列表(F4)", &F::CustomItem40, &F::CustomItem40Click, "CustomItem40"},
            {"显示音频控制区(F5)", &F::CustomItem42, &F::CustomItem42Click, "CustomItem42"},
            {"显示视频控制区(F6)", &F::CustomItem43, &F::CustomItem43Click, "CustomItem43"},
            {"显示进度控制区(F7)", &F::CustomItem44, &F::CustomItem44Click, "CustomItem44"},
            {"控制区归位", &F::CustomItem54, nullptr, "CustomItem54", {
                {"左归位(&L)", &F::CustomItem55, &F::CustomItem55Click, "CustomItem55"},
                {"右归位(&R)", &F::CustomItem56, &F::CustomItem56Click, "CustomItem56"},
            }},
        }},
        {"控制", nullptr, nullptr, nullptr, {
            {"进度控制", nullptr, nullptr, nullptr, {
                {"快进(Pd)", &F::CustomItem31, &F::CustomItem31Click, "CustomItem31"},
                {"快退(Pu)", &F::CustomItem32, &F::CustomItem32Click, "CustomItem32"},
                {"到文件头(H)", &F::CustomItem33, &F::CustomItem33Click, "CustomItem33"},
                {"到文件尾(E)", &F::CustomItem34, nullptr, "CustomItem34"},
                {"跳转到(J)...", nullptr, nullptr, "CustomItem35"},
            }},
            {"视频控制", nullptr, nullptr, nullptr, {
                {"放大(↑)", &F::CustomItem25, &F::CustomItem25Click, "CustomItem25"},
                {"缩小(↓)", &F::CustomItem26, &F::CustomItem26Click, "CustomItem26"},
                {"画面质量", nullptr, nullptr, "CustomItem48", {
                    {"高", &F::CustomItem51, &F::CustomItem51Click, "CustomItem51"},
                    {"中", &F::CustomItem52, &F::CustomItem52Click, "CustomItem52"},
                    {"低", &F::CustomItem53, &F::CustomItem53Click, "CustomItem53"},
                }},
            }},
            {"音频控制", nullptr, nullptr, nullptr, {
                {"音量增大(+)", nullptr, nullptr, "CustomItem46"},
                {"音量减小(-)", nullptr, nullptr, "CustomItem47"},
            }},
            {"播放控制", nullptr, nullptr, nullptr, {
                {"单个文件循环", &F::CustomItem64, &F::CustomItem64Click, "CustomItem64"},
                {"随机循环", &F::CustomItem65, &F::CustomItem65Click, "CustomItem65"},
            }},
        }},
        {"帮助", nullptr, nullptr, nullptr, {
            {"关于(A)...", &F::CustomItem21, &F::CustomItem21Click, "CustomItem21"},
        }},
    });

    SeSkinPopupMenu1 = new skin::TSeSkinPopupMenu(this);
    SeSkinPopupMenu1->setObjectName(QStringLiteral("SeSkinPopupMenu1"));
    SeSkinPopupMenu1Items = SeSkinPopupMenu1->Items();
    build(*this, *SeSkinPopupMenu1Items, {
        {"视频控制", nullptr, nullptr, nullptr, {
            {"放大(↑)", nullptr, &F::CustomItem25Click, "CustomItem36"},
            {"缩小(↓)", nullptr, &F::CustomItem26Click, "CustomItem37"},
            {"全屏(F)", &F::CustomItem38, &F::CustomItem38Click, "CustomItem38"},
            {"抓图", &F::CustomItem66, &F::CustomItem66Click, "CustomItem66"},
            {"多画面", &F::CustomItem67, &F::CustomItem67Click, "CustomItem67"},
        }},
        {"音频控制", nullptr, nullptr, nullptr, {
            {"增大音量(+)", &F::CustomItem28, &F::CustomItem28Click, "CustomItem28"},
            {"减小音量(-)", &F::CustomItem29, &F::CustomItem29Click, "CustomItem29"},
        }},
        {"进度控制", nullptr, nullptr, nullptr, {
            {"快进(Pd)", nullptr, &F::CustomItem31Click, "CustomItem57"},
            {"快退(Pu)", nullptr, &F::CustomItem32Click, "CustomItem58"},
            {"从头播放(H)", nullptr, &F::CustomItem33Click, "CustomItem59"},
            {"到文件尾(E)", nullptr, nullptr, "CustomItem60"},
            {"播放/暂停(P)", &F::CustomItem49, &F::CustomItem49Click, "CustomItem49"},
            {"停止播放(S)", &F::CustomItem50, &F::CustomItem50Click, "CustomItem50"},
        }},
        {"退出(Esc)", nullptr, &F::CustomItem24Click, "CustomItem24"},
    });
    // clang-format on
    // The form keeps the full-screen entry hidden; Escape is the way out of full screen.
    CustomItem38->setVisible(false);
    movieMenu_ = SeSkinPopupMenu1->menu();
    SeSkinMenuBar1->rebuild();
}

void TForm1::createKeyTable() {
    keyTable_ = {
        {vk::Prior, CustomItem32},    // 快退(Pu)
        {vk::Next, CustomItem31},     // 快进(Pd)
        {vk::Up, CustomItem25},       // 放大(↑)
        {vk::Down, CustomItem26},     // 缩小(↓)
        {0x45, CustomItem34},         // E: 到文件尾(E), inert
        {0x48, CustomItem33},         // H: 到文件头(H)
        {0x4C, CustomItem55},         // L: 左归位(&L)
        {0x52, CustomItem56},         // R: 右归位(&R)
        {vk::Add, CustomItem28},      // 增大音量(+)
        {vk::Subtract, CustomItem29}, // 减小音量(-)
        {0x71, CustomItem41},         // F2
        {0x72, CustomItem45},         // F3
        {0x73, CustomItem40},         // F4
        {0x74, CustomItem42},         // F5
        {0x75, CustomItem43},         // F6
        {0x76, CustomItem44},         // F7
        {vk::F12, CustomItem66},      // 抓图
        {vk::OemPlus, CustomItem28},  // 增大音量(+)
        {vk::OemMinus, CustomItem29}, // 减小音量(-)
    };
    keyboardPreview_ = new KeyboardPreview(*this, guarded(&TForm1::FormKeyDown));
}

} // namespace app
