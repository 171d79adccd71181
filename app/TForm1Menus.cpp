#include "app/TForm1.h"

#include "skin/controls/TSeSkinItem.h"

// The menu bar and the movie's context menu: every entry in its order with its handler.

namespace app {

void TForm1::createMenus() {
    MainMenu = new skin::TSeSkinItem(QString(), this);
    MainMenu->setObjectName(QStringLiteral("SeSkinMenuBar1"));
    skin::TSeSkinItem* control = MainMenu->Add(QStringLiteral("控制"));
    skin::TSeSkinItem* progress = control->Add(QStringLiteral("进度控制"));
    CustomItem31 =
        progress->Add(QStringLiteral("快进(Pd)"), [this](QObject* s) { CustomItem31Click(s); });
    CustomItem32 =
        progress->Add(QStringLiteral("快退(Pu)"), [this](QObject* s) { CustomItem32Click(s); });
    CustomItem33 =
        progress->Add(QStringLiteral("到文件头(H)"), [this](QObject* s) { CustomItem33Click(s); });
    skin::TSeSkinItem* playControl = control->Add(QStringLiteral("播放控制"));
    CustomItem64 = playControl->Add(QStringLiteral("单个文件循环"),
                                    [this](QObject* s) { CustomItem64Click(s); });
    CustomItem65 =
        playControl->Add(QStringLiteral("随机循环"), [this](QObject* s) { CustomItem65Click(s); });
    // Entries of the movie's context menu that playback keeps as state.
    CustomItem49 = new skin::TSeSkinItem(QStringLiteral("播放/暂停(P)"), this);
    CustomItem49->OnClick = [this](QObject* s) { CustomItem49Click(s); };
    CustomItem50 = new skin::TSeSkinItem(QStringLiteral("停止播放(S)"), this);
    CustomItem50->OnClick = [this](QObject* s) { CustomItem50Click(s); };
    for (auto [item, name] : {std::pair{CustomItem31, "CustomItem31"},
                              {CustomItem32, "CustomItem32"},
                              {CustomItem33, "CustomItem33"},
                              {CustomItem49, "CustomItem49"},
                              {CustomItem50, "CustomItem50"},
                              {CustomItem64, "CustomItem64"},
                              {CustomItem65, "CustomItem65"}})
        item->setObjectName(QLatin1String(name));
}

} // namespace app
