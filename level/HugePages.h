#pragma once

#include <cstddef>

// Asks the system to back the block with huge pages where it can (the whole
// 2 MiB pages inside it), before anything is written to it. A large level
// then costs a few hundred page faults instead of tens of thousands, which
// in a virtual machine is most of its load time, and its decoding misses
// the TLB far less. Contents are unaffected; a system without huge pages
// ignores the hint, and so does a block too small to hold one.
void preferHugePages(void* block, std::size_t bytes);
