#include "skin/model/SkinHost.h"

namespace skin {

SkinHost::~SkinHost() = default;
void SkinHost::skinInvalidate(TSeSkinObject&) {}
QObject* SkinHost::skinFrame() {
    return nullptr;
}
bool SkinHost::skinRightToLeft() const {
    return false;
}
TSeBorderIcons SkinHost::skinBorderIcons() const {
    return kAllBorderIcons;
}
QIcon SkinHost::skinWindowIcon() const {
    return {};
}
void SkinHost::skinPerformAction(TSeAction, TSeSystemButton&) {}
void SkinHost::skinShowHint(TSeSystemButton&, QPoint) {}
QPoint SkinHost::skinMapToGlobal(QPoint local) const {
    return local;
}

} // namespace skin
