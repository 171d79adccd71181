#pragma once

// A parsed movie: its header, the dictionary of characters and the main timeline. It grows
// while the loader reads; everything already in it stays valid.

#include "swf/format/Character.h"
#include "swf/format/MovieBudget.h"
#include "swf/format/MovieLoader.h"
#include "swf/format/Timeline.h"

#include <QColor>
#include <QImage>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

namespace swf {

class Movie {
public:
    explicit Movie(const Header& header, MovieBudget::Limits limits = {})
        : header_(header), budget_(limits) {}

    const Header& header() const { return header_; }
    const Timeline& timeline() const { return timeline_; }
    Timeline& timeline() { return timeline_; }
    int framesLoaded() const { return static_cast<int>(timeline_.frames.size()); }
    // No more frames will come: loading reached the end (or stopped for good).
    bool complete() const { return complete_; }
    void setComplete() { complete_ = true; }

    std::optional<QColor> backgroundColor() const { return background_; }
    void setBackgroundColor(QColor c) {
        if (!background_)
            background_ = c;
    }

    const Character* character(uint16_t id) const {
        const auto it = dictionary_.find(id);
        return it == dictionary_.end() ? nullptr : it->second.get();
    }
    std::shared_ptr<const Character> characterShared(uint16_t id) const {
        const auto it = dictionary_.find(id);
        return it == dictionary_.end() ? nullptr : it->second;
    }
    // A second definition of an id is ignored, as Flash does.
    void define(std::shared_ptr<Character> c) { dictionary_.emplace(c->id(), std::move(c)); }
    // Puts a changed copy in place of a character that a later tag amends. Whoever holds the
    // old one keeps it unchanged.
    void redefine(std::shared_ptr<Character> c) { dictionary_[c->id()] = std::move(c); }
    std::size_t characterCount() const { return dictionary_.size(); }

    // Counts one more display-list change read; false past the limit, where a movie is no
    // longer something anyone made but an attempt to exhaust memory.
    bool countCommand() { return budget_.takeRecords(1); }
    MovieBudget& budget() { return budget_; }
    const MovieBudget& budget() const { return budget_; }

    // ExportAssets names, the linkage that attachMovie and attachSound look characters up by.
    // Flash compares these names without regard to case.
    void exportName(const QByteArray& name, uint16_t id) { exports_.emplace(name.toLower(), id); }
    std::optional<uint16_t> exportedId(const QByteArray& name) const {
        const auto it = exports_.find(name.toLower());
        return it == exports_.end() ? std::nullopt : std::optional<uint16_t>(it->second);
    }

    // FileAttributes says the movie's scripts are ActionScript 3, which this engine does not run.
    bool actionScript3() const { return actionScript3_; }
    void setActionScript3(bool on) { actionScript3_ = on; }

    // The JPEGTables tag that DefineBits images share.
    const QByteArray& jpegTables() const { return jpegTables_; }
    void setJpegTables(QByteArray t) { jpegTables_ = std::move(t); }

private:
    Header header_;
    Timeline timeline_;
    std::optional<QColor> background_;
    std::unordered_map<uint16_t, std::shared_ptr<Character>> dictionary_;
    QByteArray jpegTables_;
    std::map<QByteArray, uint16_t> exports_;
    bool actionScript3_ = false;
    bool complete_ = false;
    MovieBudget budget_;
};

} // namespace swf
