#pragma once

// The window frame drawn from a skin: the skin's form object (or the object SkinObject names)
// is copied, sized to the window and drawn as the caption, title, icon, caption buttons and
// borders; its client part gives the client rectangle, its region the window's shape, and its
// parts' kinds the moving and sizing zones. The mouse reaches the parts (the caption buttons
// press, release and perform their actions), and a 100 ms timer follows the cursor over them.
// Without a usable skin it is the plain frame of TSeCustomForm.

#include <QString>

#include "skin/controls/TSeCustomForm.h"
#include "skin/engine/SkinClient.h"
#include "skin/model/SkinHost.h"

namespace skin {

class TSeSkinObject;
class TSeSystemButton;

class TSeSkinForm : public TSeCustomForm, public SkinHost {
    Q_OBJECT
public:
    explicit TSeSkinForm(QWidget* window);
    ~TSeSkinForm() override;

    TSeSkinEngine* SkinEngine() const { return skin_.SkinEngine(); }
    void setSkinEngine(TSeSkinEngine* engine);
    // The object drawn: "Form" (the skin's form object) unless told otherwise; a name the
    // skin lacks falls back to the form object too.
    QString SkinObject() const { return skinObject_; }
    void setSkinObject(const QString& name);
    QString Version() const { return QStringLiteral("3.2.0"); }

    // Called by caption buttons of the custom action, with the button that was clicked.
    std::function<void(TSeSkinForm* sender, TSeSystemButton& button)> OnCustomAction;

    // Skinned: loaded, an engine with a usable skin, and our copy of its object.
    bool isSkinned() const;
    // The copy, laid out for the window's current size; null when not skinned.
    TSeSkinObject* skinTree();
    // The copy's part of a kind, or its part of a name; null when there is none.
    TSeSkinObject* partOfKind(TSeKind kind);
    TSeSkinObject* partNamed(const char* name);
    TSeSkinObject* hoveredPart() const { return hovered_; }
    TSeSkinObject* pressedPart() const { return pressed_; }

    // SkinHost.
    void skinInvalidate(TSeSkinObject& object) override;
    QObject* skinFrame() override;
    bool skinRightToLeft() const override;
    TSeBorderIcons skinBorderIcons() const override;
    QIcon skinWindowIcon() const override;
    void skinPerformAction(TSeAction action, TSeSystemButton& button) override;
    void skinShowHint(TSeSystemButton& button, QPoint globalPos) override;
    QPoint skinMapToGlobal(QPoint local) const override;

protected:
    bool skinned() const override { return isSkinned(); }
    QMargins skinnedInsets(QSize size) override;
    FrameZone skinnedZone(QPoint p) override;
    void paintSkinned(QPainter& painter, QSize size) override;
    void paintSkinnedClient(QPainter& painter, QSize size) override;
    QRegion skinnedRegion(QSize size) override;
    void skinnedMouse(QMouseEvent* event) override;
    void skinnedHover(QPoint p, bool inside, Qt::MouseButtons held) override;
    void skinnedLeft() override;
    void forgetParts() override;
    void loading() override;
    TSeSkinEngine* menuEngine() const override { return skin_.SkinEngine(); }
    void frameLaidOut() override;

private:
    void skinChanged();
    QString resolvedName() const;
    // Sizes the copy to the window and gives it the window's state, activity and caption.
    TSeSkinObject* prepare(QSize size);
    bool inTree(const TSeSkinObject* part);

    QString skinObject_{QStringLiteral("Form")};
    bool preparing_{false};
    TSeSkinObject* hovered_{nullptr};
    TSeSkinObject* pressed_{nullptr};
    QRegion region_;
    QSize regionSize_;
    std::uint8_t regionState_{0xFF};
    SkinClient skin_;
};

} // namespace skin
