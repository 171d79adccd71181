#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>

#include "skin/model/SkinTypes.h"

namespace skin {

class TSeSkinObject;
class TSeSystemButton;

// The control a copied skin tree is bound to. Objects ask it to repaint, for the frame
// component, for the window's caption buttons and icon, and hand it the actions of system
// buttons. Every method has a harmless default so a control overrides only what it offers.
class SkinHost {
public:
    virtual ~SkinHost();

    // An object of the tree changed its look; repaint (at least) its rectangle.
    virtual void skinInvalidate(TSeSkinObject& object);
    // The skinned window frame the control belongs to, if any.
    virtual QObject* skinFrame();
    virtual bool skinRightToLeft() const;
    virtual TSeBorderIcons skinBorderIcons() const;
    // The window's icon for the system-menu button; a null icon falls back to the
    // application's icon.
    virtual QIcon skinWindowIcon() const;
    virtual void skinPerformAction(TSeAction action, TSeSystemButton& button);
    // The mouse rests on a system button: show its hint at a global position.
    virtual void skinShowHint(TSeSystemButton& button, QPoint globalPos);
    // Maps a point of the tree's coordinates to global screen coordinates.
    virtual QPoint skinMapToGlobal(QPoint local) const;
};

} // namespace skin
