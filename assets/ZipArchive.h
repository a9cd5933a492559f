#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct zip;
struct zip_source;

namespace Qor {

// A zip archive read in place, never unpacked. Members are read whole into
// memory, one at a time: the archive library's handle is not shared between
// threads, so reads from several threads take turns.
class ZipArchive {
public:
    struct Member {
        std::string name;    // as stored, '/' separated
        std::uint64_t index; // the archive library's
    };
    // A member's bytes, or why they cannot be had (empty when they can),
    // phrased to follow "it ".
    struct Read {
        std::vector<std::uint8_t> bytes;
        std::string fault;
    };

    // Opens the archive at path, or says why not (to follow "the archive
    // library says") and returns null.
    static std::unique_ptr<ZipArchive> openFile(const std::string& path, std::string& fault);
    // The same over bytes already in memory.
    static std::unique_ptr<ZipArchive> openBytes(std::vector<std::uint8_t> bytes, std::string& fault);

    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The members that are files, in the archive's order.
    const std::vector<Member>& members() const { return members_; }

    // A member read whole. Refused: one stated larger than maxFileBytes, and
    // one whose data holds more or fewer bytes than stated.
    Read read(std::uint64_t index) const;

private:
    explicit ZipArchive(zip* archive, std::vector<std::uint8_t> bytes);

    zip* archive_;
    std::vector<std::uint8_t> bytes_;  // what openBytes was given, kept while the archive reads it
    std::vector<Member> members_;
    mutable std::mutex reading_;
};

}  // namespace Qor
