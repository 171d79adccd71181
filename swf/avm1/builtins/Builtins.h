#pragma once

// The built-in classes and functions, one file per class or group. installAll is the one
// place that knows them all; a new built-in adds its install function here.

namespace swf::avm1 {
class Object;
class Vm;
} // namespace swf::avm1

namespace swf::avm1::builtins {

void installAll(Vm& vm);

void installObject(Vm& vm);
void installFunction(Vm& vm);
void installGlobals(Vm& vm);
void installArray(Vm& vm);
void installString(Vm& vm);
void installNumber(Vm& vm);
void installBoolean(Vm& vm);
void installMath(Vm& vm);
void installDate(Vm& vm);
void installError(Vm& vm);
void installSystem(Vm& vm);
void installMovieClip(Vm& vm);
void installAsBroadcaster(Vm& vm);
void installInput(Vm& vm);
void installPoint(Vm& vm);
void installRectangle(Vm& vm);
void installMatrix(Vm& vm);
void installColorTransform(Vm& vm);
void installXml(Vm& vm);
void installLoadVars(Vm& vm);
void installSharedObject(Vm& vm);
void installFilters(Vm& vm);
void installBitmapData(Vm& vm);
void installTextFormat(Vm& vm);
void installSound(Vm& vm);
void installTextField(Vm& vm);
void installColor(Vm& vm);
void installTransform(Vm& vm);
void installMovieClipLoader(Vm& vm);
void installContextMenu(Vm& vm);
void installSelection(Vm& vm);
void installMovieClipFilters(Vm& vm);
void installMovieClipEffects(Vm& vm);
// ASnative comes early, so that parts made later can enter their functions in its table
// (registerNative); recordNativeEntries, last, enters the rest by their names.
void installNativeTable(Vm& vm);
void registerNative(Vm& vm, int category, int index, Object* fn);
void recordNativeEntries(Vm& vm);
void installNetStream(Vm& vm);

} // namespace swf::avm1::builtins
