#include "skin/controls/TSeSkinMessage.h"

#include "skin/controls/TSeSkinButton.h"
#include "skin/controls/TSeSkinCheckBox.h"
#include "skin/controls/TSeSkinEdit.h"
#include "skin/controls/TSeSkinLabel.h"

namespace skin {

TSeSkinMessage::TSeSkinMessage(QObject* owner) : TSeCustomMessage(owner) {}

TSeCustomButton* TSeSkinMessage::CreateButton(QWidget* owner) {
    auto* button = new TSeSkinButton(owner);
    button->setSkinEngine(engine_);
    return button;
}

TSeCustomEdit* TSeSkinMessage::CreateEdit(QWidget* owner) {
    auto* edit = new TSeSkinEdit(owner);
    edit->setSkinEngine(engine_);
    return edit;
}

TSeMessageFrame* TSeSkinMessage::CreateForm(QWidget* owner) {
    auto* frame = new TSeMessageFrame(owner);
    frame->setSkinEngine(engine_);
    return frame;
}

TSeCustomLabel* TSeSkinMessage::CreateLabel(QWidget* owner) {
    auto* label = new TSeSkinLabel(owner);
    label->setSkinEngine(engine_);
    return label;
}

TSeCustomCheckBox* TSeSkinMessage::CreateCheckBox(QWidget* owner) {
    auto* box = new TSeSkinCheckBox(owner);
    box->setSkinEngine(engine_);
    return box;
}

int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
    return MessagePos(nullptr, text, type, buttons, helpContext, -1, -1, QString());
}

int MessagePos(TSeCustomMessage* component, const QString& text, TMsgDlgType type,
               TMsgDlgButtons buttons, int helpContext, int x, int y, const QString& helpFile) {
    TSeCustomMessage& serving = component ? *component : TSeCustomMessage::global();
    return serving.MessagePos(text, type, buttons, helpContext, x, y, helpFile);
}

} // namespace skin
