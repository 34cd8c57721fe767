#pragma once
// The text of a log, line by line, in UTF-8 blocks of a fixed size. A log only grows, and a job of many files
// writes two lines per file: a single buffer would be copied whole each time it fills (for a moment holding the
// log twice, plus the unused half of its new room), while blocks are filled in place and cost at most one
// block of room.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TLogLines {
public:
    explicit TLogLines(std::size_t blockBytes = 64 * 1024);

    void append(const std::string& utf8Line); // one line, without its line break
    void clear();
    std::size_t count() const { return lines_.size(); }
    std::string line(std::size_t index) const;
    std::string joined() const; // the lines joined by '\n'

private:
    struct TPlace { // a line runs to the next line of its block, or to the block's end
        std::uint32_t Block;
        std::uint32_t Offset;
    };
    std::size_t endOf(std::size_t index) const;
    std::size_t blockBytes_;
    std::vector<std::string> blocks_; // each filled up to its reserved room, never moved once made
    std::vector<TPlace> lines_;
};
