#pragma once

// The message component of the main window: the boxes of TSeCustomMessage built from skinned
// controls in a skinned frame, drawn with the engine's skin.

#include <QPointer>

#include "skin/controls/TSeCustomMessage.h"
#include "skin/engine/TSeSkinEngine.h"

namespace skin {

class TSeSkinMessage : public TSeCustomMessage {
    Q_OBJECT
public:
    explicit TSeSkinMessage(QObject* owner = nullptr);

    // Cleared when the engine goes.
    TSeSkinEngine* SkinEngine() const { return engine_; }
    void setSkinEngine(TSeSkinEngine* engine) { engine_ = engine; }
    QString Version() const { return QStringLiteral("3.2.0"); }

    TSeCustomButton* CreateButton(QWidget* owner) override;
    TSeCustomEdit* CreateEdit(QWidget* owner) override;
    TSeMessageFrame* CreateForm(QWidget* owner) override;
    TSeCustomLabel* CreateLabel(QWidget* owner) override;
    TSeCustomCheckBox* CreateCheckBox(QWidget* owner) override;

private:
    QPointer<TSeSkinEngine> engine_;
};

// The global component's boxes, for callers without a component of their own.
int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
int MessagePos(TSeCustomMessage* component, const QString& text, TMsgDlgType type,
               TMsgDlgButtons buttons, int helpContext, int x, int y, const QString& helpFile);

} // namespace skin
