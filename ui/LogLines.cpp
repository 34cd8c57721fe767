#include "ui/LogLines.h"

#include <algorithm>

TLogLines::TLogLines(std::size_t blockBytes) : blockBytes_(blockBytes) {}

void TLogLines::append(const std::string& utf8Line) {
    // A line longer than a block gets a block of its own size.
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < utf8Line.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(blockBytes_, utf8Line.size()));
    }
    std::string& block = blocks_.back();
    lines_.push_back(TPlace{static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(block.size())});
    block.append(utf8Line);
}

void TLogLines::clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    lines_.clear();
    lines_.shrink_to_fit();
}

std::size_t TLogLines::endOf(std::size_t index) const {
    const TPlace& place = lines_[index];
    if (index + 1 < lines_.size() && lines_[index + 1].Block == place.Block)
        return lines_[index + 1].Offset;
    return blocks_[place.Block].size();
}

std::string TLogLines::line(std::size_t index) const {
    const TPlace& place = lines_.at(index);
    return blocks_[place.Block].substr(place.Offset, endOf(index) - place.Offset);
}

std::string TLogLines::joined() const {
    std::size_t bytes = lines_.size(); // the breaks, and one spare
    for (const std::string& block : blocks_)
        bytes += block.size();
    std::string text;
    text.reserve(bytes);
    for (std::size_t index = 0; index < lines_.size(); ++index) {
        if (index > 0)
            text.push_back('\n');
        const TPlace& place = lines_[index];
        text.append(blocks_[place.Block], place.Offset, endOf(index) - place.Offset);
    }
    return text;
}
