// Feeds arbitrary bytes to the reader of FLV script data (AMF0): as one tag's body, and as the
// body of a script tag in a file that arrives in two pieces, the way NetStream indexes a
// download.

#include "swf/media/FlvFile.h"
#include "swf/media/FlvScriptData.h"
#include "swf/media/Spool.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)swf::media::FlvScriptData::readTag(body);
    if (body.size() > 0xffffff)
        return 0;
    QByteArray flv("FLV\x01\x00\x00\x00\x00\x09\x00\x00\x00\x00", 13);
    const auto n = static_cast<uint32_t>(body.size());
    const char head[11] = {18, char(n >> 16), char(n >> 8), char(n), 0, 0, 0, 0, 0, 0, 0};
    flv.append(head, 11);
    flv.append(body);
    const uint32_t back = n + 11;
    const char tail[4] = {char(back >> 24), char(back >> 16), char(back >> 8), char(back)};
    flv.append(tail, 4);
    (void)swf::media::FlvScriptData::read(flv);
    auto spool = std::make_shared<swf::media::Spool>(flv.size(), 16);
    swf::media::FlvFile file(spool);
    const qsizetype cut = static_cast<qsizetype>(size % static_cast<size_t>(flv.size()));
    if (!spool->append(flv.left(cut)).ok() || !file.scan().ok())
        return 0;
    if (!spool->append(flv.mid(cut)).ok() || !file.scan().ok())
        return 0;
    for (const auto& tag : file.scripts())
        (void)tag.value.members.size();
    return 0;
}
