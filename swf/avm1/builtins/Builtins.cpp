#include "swf/avm1/builtins/Builtins.h"

namespace swf::avm1::builtins {

void installAll(Vm& vm) {
    // Object and Function first: everything else hangs off their prototypes.
    installObject(vm);
    installFunction(vm);
    installGlobals(vm);
    installNativeTable(vm);
    installArray(vm);
    installString(vm);
    installNumber(vm);
    installBoolean(vm);
    installMath(vm);
    installDate(vm);
    installError(vm);
    installSystem(vm);
    installMovieClip(vm);
    installAsBroadcaster(vm);
    installInput(vm);
    installPoint(vm);
    installRectangle(vm);
    installMatrix(vm);
    installColorTransform(vm);
    installXml(vm);
    installLoadVars(vm);
    installSharedObject(vm);
    installFilters(vm);
    installBitmapData(vm);
    installTextFormat(vm);
    installSound(vm);
    installTextField(vm);
    installColor(vm);
    installTransform(vm);
    installMovieClipLoader(vm);
    installContextMenu(vm);
    installSelection(vm);
    installMovieClipFilters(vm);
    installMovieClipEffects(vm);
    installNetStream(vm);
    // Last: it records the functions every other part has made.
    recordNativeEntries(vm);
}

} // namespace swf::avm1::builtins
