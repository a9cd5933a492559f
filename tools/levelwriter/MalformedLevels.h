#pragma once

// Level files built to trip a reader or a drawing pass up: truncated, bit
// flipped, with groups and corners pointing past the ends of the sequences,
// huge or zero lengths, overlapping lumps, directories past the end, other
// versions and magics, broken entity text and odd material names. The tests run the viewer on them and the fuzzing
// harnesses start from them.

#include <cstdint>
#include <string>
#include <vector>

#include "LevelWriter.h"

namespace Qor {

struct MalformedLevel {
    // What the reader reports for the file.
    enum class Verdict {
        loads,               // no message; the geometry may still point anywhere
        unsupportedFormat,   // too short for a header, or not the magic
        unsupportedVersion,  // neither 4 nor 59
        directoryPastEnd,    // the warning, naming firstBadLump
        entityTextMalformed, // the warning, naming faultByte and entitiesRead
    };

    std::string name;  // letters, digits and '_' only
    Bytes bytes;
    Verdict verdict = Verdict::loads;
    std::uint32_t firstBadLump = 0;
    std::uint32_t faultByte = 0;
    std::uint32_t entitiesRead = 0;
};

// A few dozen malformed levels, the same on every call.
std::vector<MalformedLevel> malformedLevels();

}  // namespace Qor
