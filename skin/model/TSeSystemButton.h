#pragma once

#include "skin/model/TSeActiveBitmap.h"

namespace skin {

// A caption button of the window frame: close, maximize, restore, minimize, roll up and
// down, tray, system menu, help or a custom action. It tracks the mouse itself and asks the
// bound control to perform its action.
class TSeSystemButton : public TSeActiveBitmap {
public:
    QUARVEL_SKIN_CLASS(TSeSystemButton)

    enum class ButtonState { Normal, Hot, Pressed };

    TSeSystemButton();

    TSeAction Action{TSeAction::sbaNone};
    TSeBitmapLink BitmapHot;
    TSeBitmapLink BitmapPressed;

    ButtonState buttonState() const { return buttonState_; }

    void assign(const TSeSkinObject& source) override;
    bool readProperty(std::string_view name, const PropertyValue& value) override;
    void writeProperties(PropertyList& out) const override;
    void afterLoad() override;
    const TSeBitmapLink& currentBitmap() const override;
    void setState(std::uint8_t state) override;
    void draw(QPainter& painter) override;

    void mouseEnter(Qt::MouseButtons held) override;
    void mouseLeave() override;
    void mouseDown(Qt::MouseButton button, int x, int y) override;
    void mouseMove(Qt::MouseButtons held, int x, int y) override;
    void mouseUp(Qt::MouseButton button, int x, int y) override;
    void dblClick(Qt::MouseButton button, int x, int y) override;

private:
    void setButtonState(ButtonState s);
    void perform(TSeAction action);
    void drawIcon(QPainter& painter);

    ButtonState buttonState_{ButtonState::Normal};
    const TSeBitmapLink* drawing_{nullptr};
};

} // namespace skin
