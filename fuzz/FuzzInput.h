#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What both harnesses need of an input: the readers take a file name, and
// what they write on std::cerr is collected to be checked rather than printed.

// Holds the input in a memory-backed file, rewritten for every input so the
// disk is never touched, and forgets the messages about the input before.
// Returns the file's name.
const std::string& holdInput(const std::uint8_t* data, std::size_t size);

// What the code under test wrote on std::cerr since the input was held.
std::string messagesAboutInput();

// Ends the run with a message, as a crash would, when a promise of the code
// under test does not hold.
void require(bool holds, const char* promise);
