// Numbers the interpreter's design fixes: cell type numbers and flag bits,
// hash-table kinds, port flags and the heap's limits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::scheme {

// Cell type numbers (low 5 bits of the flag word).
enum CellType : uint32_t {
  T_FREE = 0,
  T_PAIR = 1,
  T_SYNTAX = 2,
  T_SUBR = 3,
  T_SYMBOL = 4,
  T_CLOSURE = 5,
  T_CONTINUATION = 6,
  T_MACRO = 7,
  T_VECTOR = 8,
  T_PORT = 9,
  T_EOF = 10,
  T_INTEGER = 11,
  T_STRING = 12,
  T_CHARACTER = 13,
  T_CALLBACK = 14,
  T_REGEXP = 15,
  T_REGMATCH = 16,
  T_HASHTABLE = 17,
  T_HASH_ITERATOR = 18,
  T_CLASS = 19,
  T_OBJECT = 20,
};

inline constexpr uint64_t kTypeMask = 0x1F;
inline constexpr uint64_t kExpandedMacroCall = 1u << 13;  // call form caches its expansion in cdr
inline constexpr uint64_t kAtomFlag = 1u << 14;           // car/cdr are not cell pointers
inline constexpr uint64_t kMarkFlag = 1u << 15;

// Hash-table kinds.
enum HashKind : int32_t {
  HK_EQ = 0,
  HK_EQV = 1,
  HK_EQUAL = 2,
  HK_STRING = 3,
  HK_PTR = 4,
  HK_OBLIST = 5,
};

// Port flag bits.
inline constexpr uint32_t kPortInput = 0x01;
inline constexpr uint32_t kPortOutput = 0x02;
inline constexpr uint32_t kPortClosed = 0x04;
inline constexpr uint32_t kPortString = 0x08;
inline constexpr uint32_t kPortUtf16 = 0x10;

// Heap: segments of 4096 cells, at most 100 of them.
inline constexpr std::size_t kSegmentCells = 4096;
inline constexpr std::size_t kMaxSegments = 100;
// Bytes of blocks in use that start a full collection; doubles as the
// program keeps more alive.
inline constexpr uint64_t kInitialGcThreshold = 0x800000;
// Blocks beyond this total are refused as "no memory" so a runaway string or
// vector ends the run instead of exhausting the machine.
inline constexpr uint64_t kMaxBlockBytes = uint64_t(1) << 30;
// The dump stack starts at 32 frames and doubles; runaway recursion that
// allocates no cells ends at this depth as "no memory".
inline constexpr std::size_t kInitialDumpFrames = 32;
inline constexpr std::size_t kMaxDumpFrames = std::size_t(1) << 23;
// Bucket counts.
inline constexpr std::size_t kGlobalBuckets = 1024;
inline constexpr std::size_t kUserHashBuckets = 256;
// The cancel flag is polled once per this many calls (+1).
inline constexpr uint32_t kCancelPollInterval = 500;
// Message buffer size in UTF-16 units; every formatted message is cut to fit.
inline constexpr std::size_t kMessageBufferUnits = 1024;
// win-exec command line limit in characters.
inline constexpr std::size_t kMaxCommandLine = 1022;
// Output string ports start with this many units.
inline constexpr std::size_t kStringPortCapacity = 64;
// Nesting limit of a quasiquote template (each level is one C++ call).
inline constexpr int kMaxQuasiquoteDepth = 10000;

}  // namespace kestrel::scheme
