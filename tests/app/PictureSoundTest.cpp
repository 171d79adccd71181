// Zoom, quality and background colour reach the Flash control; the volume bars and commands
// write wave-out device 0 channel by channel.

#include "AppFixture.h"
#include "app/PictureSoundCommands.h"
#include "platform/WaveOut.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinTrackBar.h"

using namespace apptest;

namespace {

class PictureSound : public AppTest {
protected:
    void SetUp() override {
        platform::waveOutSetVolume(0, 0x12345678);
        AppTest::SetUp();
    }
    std::vector<int> intArgs(int dispId) const {
        std::vector<int> out;
        for (const QVariantList& args : callsOf(dispId))
            out.push_back(args.value(0).toInt());
        return out;
    }
    uint32_t device() const { return platform::waveOutVolume(); }
};

// A device that records what it was given.
class FakeWaveOut : public platform::WaveOutDevice {
public:
    uint32_t GetVolume() override { return value; }
    void SetVolume(uint32_t v) override {
        value = v;
        writes.push_back(v);
    }
    uint32_t value = 0;
    std::vector<uint32_t> writes;
};

} // namespace

TEST_F(PictureSound, ZoomKeysAndItemsAskForEightyAndOneHundredTwenty) {
    calls.clear();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form.get(), Qt::Key_Up);
    form->CustomItem26->Click();
    QTest::keyClick(form.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(intArgs(flash::DISPID_Zoom), (std::vector<int>{80, 80, 80, 120, 120}));
    EXPECT_EQ(form->pictureSound().zoomBase(), 100);
}

TEST_F(PictureSound, QualityItemsCarryOneMarkAndWriteTheirValues) {
    EXPECT_TRUE(form->CustomItem51->Checked());
    EXPECT_FALSE(form->CustomItem52->Checked());
    EXPECT_FALSE(form->CustomItem53->Checked());
    // The start does not write the quality itself.
    EXPECT_TRUE(intArgs(flash::DISPID_Quality).empty());
    form->CustomItem52->action()->trigger();
    EXPECT_FALSE(form->CustomItem51->Checked());
    EXPECT_TRUE(form->CustomItem52->Checked());
    form->CustomItem53->Click();
    EXPECT_TRUE(form->CustomItem53->Checked());
    EXPECT_FALSE(form->CustomItem52->Checked());
    form->CustomItem51->Click();
    EXPECT_TRUE(form->CustomItem51->Checked());
    EXPECT_FALSE(form->CustomItem53->Checked());
    EXPECT_EQ(intArgs(flash::DISPID_Quality), (std::vector<int>{1, 2, 3}));
}

TEST_F(PictureSound, ColourBarsComposeTheBackgroundColour) {
    EXPECT_EQ(form->SeSkinTrackBar5->Max(), 255);
    calls.clear();
    form->SeSkinTrackBar5->setPosition(255);
    form->SeSkinTrackBar5->setPosition(0);
    form->SeSkinTrackBar7->setPosition(255);
    form->SeSkinTrackBar6->setPosition(1);
    form->SeSkinTrackBar7->setPosition(300); // clamped; the colour is written again
    EXPECT_EQ(intArgs(flash::DISPID_BackgroundColor),
              (std::vector<int>{255, 0, 16711680, 16711680 + 256, 16711680 + 256}));
}

TEST_F(PictureSound, MasterBarWritesBothChannels) {
    form->SeSkinTrackBar1->setPosition(50);
    EXPECT_EQ(device(), (12800u << 16) | 12800u);
}

TEST_F(PictureSound, ChannelBarsKeepTheOtherChannel) {
    platform::waveOutSetVolume(0, 0xABCD1234);
    form->SeSkinTrackBar2->setPosition(100);
    EXPECT_EQ(device(), 0xABCD0000u | 25600u);
    platform::waveOutSetVolume(0, 0xABCD1234);
    form->SeSkinTrackBar3->setPosition(1);
    EXPECT_EQ(device(), (256u << 16) | 0x1234u);
}

TEST_F(PictureSound, VolumeKeysMoveTheMasterBarByTwo) {
    form->SeSkinTrackBar1->setPosition(10);
    QTest::keyClick(form.get(), Qt::Key_Equal);
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 12);
    QTest::keyClick(form.get(), Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(form.get(), Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 16);
    QTest::keyClick(form.get(), Qt::Key_Minus);
    QTest::keyClick(form.get(), Qt::Key_Minus, Qt::KeypadModifier);
    QTest::keyClick(form.get(), Qt::Key_Underscore, Qt::ShiftModifier);
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 10);
    EXPECT_EQ(device(), (2560u << 16) | 2560u);
}

TEST_F(PictureSound, VolumeDownAtOneWritesSilenceAndAtZeroNothing) {
    form->SeSkinTrackBar1->setPosition(1);
    form->CustomItem29->Click();
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 0);
    EXPECT_EQ(device(), 0u);
    platform::waveOutSetVolume(0, 0x11112222);
    form->CustomItem29->Click();
    EXPECT_EQ(device(), 0x11112222u);
}

TEST_F(PictureSound, VolumeUpAtTheTopWritesTheFullVolumeAgain) {
    form->SeSkinTrackBar1->setPosition(99);
    form->CustomItem28->Click();
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 100);
    platform::waveOutSetVolume(0, 0);
    form->CustomItem28->Click();
    EXPECT_EQ(device(), (25600u << 16) | 25600u);
}

TEST_F(PictureSound, AFullDeviceAtStartShowsTheMasterBarAtTheTop) {
    form.reset();
    platform::waveOutSetVolume(0, 0xFFFFFFFF);
    createForm();
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 100);
    EXPECT_EQ(device(), (25600u << 16) | 25600u);
    // The channel bars are not taken from the device.
    EXPECT_EQ(form->SeSkinTrackBar2->Position(), 3);
    EXPECT_EQ(form->SeSkinTrackBar3->Position(), 3);
}

TEST_F(PictureSound, TheLouderChannelSetsTheMasterBarAtStart) {
    form.reset();
    platform::waveOutSetVolume(0, (0x1F00u << 16) | 0x2A00u); // right 31, left 42
    createForm();
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 42);
    EXPECT_EQ(device(), (0x2A00u << 16) | 0x2A00u);
    form.reset();
    // A device already at the bar's start position is not written.
    platform::waveOutSetVolume(0, (0x0100u << 16) | 0x01FFu);
    createForm();
    EXPECT_EQ(form->SeSkinTrackBar1->Position(), 1);
    EXPECT_EQ(device(), (0x0100u << 16) | 0x01FFu);
}

TEST(PictureSoundCommands, WorkOnTheirPartsAlone) {
    skin::TSeSkinItem high, medium, low;
    skin::TSeSkinTrackBar red, green, blue, master, left, right;
    for (skin::TSeSkinTrackBar* bar : {&master, &left, &right})
        bar->setMax(100);
    FakeWaveOut device;
    std::vector<int> zooms, qualities, colours;
    app::PictureSoundParts parts{[&](int v) { zooms.push_back(v); },
                                 [&](int v) { qualities.push_back(v); },
                                 [&](int v) { colours.push_back(v); },
                                 high,
                                 medium,
                                 low,
                                 red,
                                 green,
                                 blue,
                                 master,
                                 left,
                                 right,
                                 device};
    app::PictureSoundCommands commands(std::move(parts));
    master.OnChange = [&](QObject*) { commands.MasterChanged(); };
    commands.setZoomBase(50);
    commands.ZoomIn();
    commands.ZoomOut();
    EXPECT_EQ(zooms, (std::vector<int>{30, 70}));
    commands.ChooseQuality(medium);
    EXPECT_EQ(qualities, std::vector<int>{1});
    EXPECT_EQ(commands.qualityValue(high), 3);
    EXPECT_EQ(commands.qualityValue(low), 2);
    // A device at 0x7F on the right and 0x80 on the left: the bar takes 128, clamped to 100.
    device.value = (0x7F00u << 16) | 0x80FFu;
    commands.MasterFromDevice();
    EXPECT_EQ(master.Position(), 100);
    EXPECT_EQ(device.writes, std::vector<uint32_t>{(25600u << 16) | 25600u});
    // Reading the device failed: the channel kept is 0.
    device.value = 0;
    left.setPosition(7);
    commands.LeftChanged();
    EXPECT_EQ(device.value, 7u * 256);
}
