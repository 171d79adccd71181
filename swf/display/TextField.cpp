#include "swf/display/TextField.h"

namespace swf {

TextField::TextField(Stage& stage, std::shared_ptr<const Character> character, QRectF rect)
    : DisplayObject(Type::Text, stage, std::move(character)), rect_(rect) {}

} // namespace swf
