#include "skin/engine/SkinMessage.h"

namespace skin {

bool SkinMessage::isSkinMessage(const QEvent* event) {
    if (!event)
        return false;
    for (auto kind : {SkinMessageKind::AfterChange, SkinMessageKind::BeforeChange,
                      SkinMessageKind::Repaint, SkinMessageKind::QueryFrame}) {
        if (event->type() == eventType(kind))
            return true;
    }
    return false;
}

} // namespace skin
