#pragma once

// A lump's records read where the file holds them. The vertices and
// triangles make up nine tenths of a large level; decoding them into arrays
// of their own would cost as much again as reading the file and hold half
// as much memory again. Instead each record is decoded when it is asked
// for, which costs a few loads from bytes that are already in memory.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>

#include "ByteReader.h"
#include "Elements.h"
#include "LevelFormat.h"

namespace Qor {

inline Vertex decodeVertex(const std::uint8_t* record) {
    namespace f = format::vertex;
    Vertex vertex;
    vertex.x = readF32(record + f::x);
    vertex.y = readF32(record + f::y);
    vertex.z = readF32(record + f::z);
    vertex.alpha = readU8(record + f::alpha);
    for (std::size_t k = 0; k < 3; ++k) {
        vertex.normal[k] = readF32(record + f::normal + 4 * k);
        vertex.colour[k] = readU8(record + f::colour + k);
    }
    for (std::size_t k = 0; k < 2; ++k) {
        vertex.texture[k] = readF32(record + f::texture + 4 * k);
        vertex.lightmap[k] = readF32(record + f::lightmap + 4 * k);
    }
    return vertex;
}

inline Triangle decodeTriangle(const std::uint8_t* record) {
    namespace f = format::triangle;
    Triangle triangle;
    for (std::size_t k = 0; k < triangle.corners.size(); ++k)
        triangle.corners[k] = readU16(record + f::corners + k * f::cornerStride);
    return triangle;
}

// A read-only sequence of whole records of recordSize bytes, each handed out
// as a decoded Element (a value, not a reference). It holds no bytes: they
// must outlive it, as the level's file buffer outlives the level's sequences.
template <typename Element, std::size_t recordSize, Element (*decode)(const std::uint8_t*)>
class Records {
public:
    class iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Element;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Element;

        explicit iterator(const std::uint8_t* at) : at_(at) {}
        Element operator*() const { return decode(at_); }
        iterator& operator++() {
            at_ += recordSize;
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const iterator& other) const { return at_ == other.at_; }
        bool operator!=(const iterator& other) const { return at_ != other.at_; }

    private:
        const std::uint8_t* at_;
    };

    static constexpr std::size_t bytesPerRecord = recordSize;

    Records() = default;
    // The count records from first on; the caller has checked that they lie
    // inside its buffer.
    Records(const std::uint8_t* first, std::size_t count) : first_(first), count_(count) {}

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // As for a vector: k must be below size().
    Element operator[](std::size_t k) const { return decode(first_ + k * recordSize); }

    Element at(std::size_t k) const {
        if (k >= count_) throw std::out_of_range("Qor::Records::at");
        return (*this)[k];
    }

    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(first_ + count_ * recordSize); }

private:
    const std::uint8_t* first_ = nullptr;
    std::size_t count_ = 0;
};

using VertexRecords = Records<Vertex, format::vertex::size, decodeVertex>;
using TriangleRecords = Records<Triangle, format::triangle::size, decodeTriangle>;

}  // namespace Qor
