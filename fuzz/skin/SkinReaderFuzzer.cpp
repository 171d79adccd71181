// The first byte picks the reader; the rest is its input. Any SkinError is an expected
// outcome; anything else (a crash, a sanitizer report, a hang) is a finding.
#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "skin/format/BinaryForm.h"
#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"
#include "skin/format/TSeSkinFilter.h"
#include "skin/format/TextForm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static const auto registry = skin::SkinClassRegistry::withStandardClasses();
    const int mode = data[0] % 6;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    skin::TSeSkinSource source;
    try {
        switch (mode) {
        case 0:
            skin::readSkinStream(source, bytes, registry);
            break;
        case 1:
        case 2:
        case 3:
        case 4: {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            auto filter = skin::registeredSkinFilters()[std::size_t(mode - 1)](source, registry);
            filter->LoadFromStream(buffer);
            break;
        }
        case 5: {
            // Each form on its own: bytes one of them refuses still reach the other.
            try {
                skin::ByteReader reader(bytes.constData(), std::size_t(bytes.size()));
                skin::binaryform::read(reader);
            } catch (const skin::SkinError&) {
            }
            skin::textform::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())));
            break;
        }
        }
    } catch (const skin::SkinError&) {
    }
    // Whatever was kept must still be usable.
    for (const auto& o : source.objects()) {
        auto copy = o->clone();
        copy->setBounds(0, 0, 50, 40);
        copy->objectAtPoint({10, 10});
    }
    return 0;
}
