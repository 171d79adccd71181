#pragma once

// A small skin built in code, for tests that need known bytes.
#include <memory>

#include "skin/format/ByteWriter.h"
#include "skin/format/ObjectStreamer.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeSkinSource.h"

namespace skintest {

inline const skin::SkinClassRegistry& registry() {
    static const auto r = skin::SkinClassRegistry::withStandardClasses();
    return r;
}

// Two bitmaps ("top" twice, the second 3 x 2 with a magenta pixel) and two objects: Form with
// a Caption bitmap child, and MenuBar.
inline void fillSmallSkin(skin::TSeSkinSource& s) {
    s.clear();
    s.SkinName = "Small";
    s.SkinVersion = "1";
    s.Author = "me";
    s.AuthorEMail = "me@example.org";
    s.AuthorURL = "";
    auto a = std::make_unique<skin::TSeBitmap>("top", 2, 2);
    auto b = std::make_unique<skin::TSeBitmap>("TOP", 3, 2);
    for (int i = 0; i < 6; ++i)
        b->mutablePixels()[i] = 0xFF000000u | std::uint32_t(i * 40) << 8;
    b->setPixel(1, 1, 0xFFFF00FF);
    b->keyOutNear(255, 0, 255); // as a reader leaves it
    s.addBitmap(std::move(a));
    s.addBitmap(std::move(b));
    auto form = std::make_unique<skin::TSeSkinObject>();
    form->setName("Form");
    form->Kind = skin::TSeKind::skForm;
    form->setStoredBounds(0, 0, 300, 250);
    auto caption = std::make_unique<skin::TSeBitmapObject>();
    caption->setName("Caption");
    caption->Align = skin::TSeAlign::saTop;
    caption->setStoredBounds(0, 0, 300, 22);
    caption->Bitmap = {"top", 0, 0, 3, 2};
    form->addChild(std::move(caption));
    s.addObject(std::move(form));
    auto menu = std::make_unique<skin::TSeSkinObject>();
    menu->setName("MenuBar");
    menu->Color = 0x00C6C3C6;
    s.addObject(std::move(menu));
}

// The plain description of the small skin, written by hand from the format so that readers
// are not only checked against our own writer.
inline std::string handWrittenDescription(const std::string& secondClass = "TSeSkinObject") {
    skin::ByteWriter w;
    for (const char* s : {"Hand", "2", "", "", ""})
        w.string32(s);
    w.i32(1);
    w.string32("top");
    w.i32(2);
    w.i32(1);
    w.u32(0xFF112233);
    w.u32(0x00FB02FD); // near magenta: becomes the key pixel
    w.i32(2);
    w.string32("TSeSkinObject");
    w.string32("object Form: TSeSkinObject\r\n  Kind = skForm\r\n  Width = 300\r\n"
               "  Objects = {\r\n      00000F00}\r\nend\r\n");
    w.string32(secondClass);
    w.string32("object MenuBar: TSeSkinObject\r\n  Font.Charset = GB2312_CHARSET\r\nend\r\n");
    return w.bytes();
}

} // namespace skintest
