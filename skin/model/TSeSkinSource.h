#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/model/TSeBitmap.h"
#include "skin/model/TSeSkinObject.h"

namespace skin {

// A loaded skin: header strings, the bitmaps (owned here; every object tree and copy made
// from it points into them) and the top-level object trees.
class TSeSkinSource {
public:
    TSeSkinSource();
    ~TSeSkinSource();
    TSeSkinSource(const TSeSkinSource&) = delete;
    TSeSkinSource& operator=(const TSeSkinSource&) = delete;

    std::string SkinName{"SkinEngine Skin"};
    std::string SkinVersion{"3.2.0"};
    std::string Author;
    std::string AuthorEMail;
    std::string AuthorURL;

    BitmapList& bitmaps() { return bitmaps_; }
    const BitmapList& bitmaps() const { return bitmaps_; }
    const std::vector<std::unique_ptr<TSeSkinObject>>& objects() const { return objects_; }
    bool hasObjects() const { return !objects_.empty(); }

    // Frees every bitmap and object; the header strings stay.
    void clear();
    void addBitmap(std::unique_ptr<TSeBitmap> bitmap);
    // Takes a freshly read tree: hands it the bitmap list and resolves its links.
    TSeSkinObject& addObject(std::unique_ptr<TSeSkinObject> object);

    // Top-level object by name, ignoring case; nothing while the source is busy.
    TSeSkinObject* findObject(std::string_view name) const;
    // "Form", else the first top-level object of kind skForm.
    TSeSkinObject* formObject() const;
    const TSeBitmap* findBitmap(std::string_view name) const; // the last of that name

    // While set, lookups answer nothing so that no control copies a half-built skin.
    bool busy() const { return busy_; }
    void setBusy(bool b) { busy_ = b; }

    // Re-tints to a hue offset: pixels and colours move by the difference to the offset
    // applied so far.
    int requestedHue() const { return requestedHue_; }
    int appliedHue() const { return appliedHue_; }
    void setHue(int offset);

private:
    BitmapList bitmaps_;
    std::vector<std::unique_ptr<TSeSkinObject>> objects_;
    bool busy_{false};
    int requestedHue_{0};
    int appliedHue_{0};
};

} // namespace skin
