// The interpreter's values: every value is a pointer to a 24-byte cell of
// three words (flag word, car, cdr). Pairs, closures and macros hold cell
// pointers in car and cdr; every other type is an atom whose car is its
// payload (a number, a code point, an opcode or a block pointer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scheme/scheme_constants.h"

namespace kestrel::scheme {

struct Cell {
  uint64_t flag;
  union {
    Cell* car;
    int64_t ival;
    void* ptr;
    uint64_t uval;
  };
  Cell* cdr;
};
static_assert(sizeof(Cell) == 24, "cells are three 64-bit words");

using Value = Cell*;

inline uint32_t type_of(const Cell* c) { return static_cast<uint32_t>(c->flag & kTypeMask); }
inline bool is_type(const Cell* c, uint32_t t) { return type_of(c) == t; }
inline bool is_pair(const Cell* c) { return type_of(c) == T_PAIR; }
inline bool is_symbol(const Cell* c) { return type_of(c) == T_SYMBOL; }
inline bool is_integer(const Cell* c) { return type_of(c) == T_INTEGER; }
inline bool is_string(const Cell* c) { return type_of(c) == T_STRING; }
inline bool is_character(const Cell* c) { return type_of(c) == T_CHARACTER; }
inline bool is_vector(const Cell* c) { return type_of(c) == T_VECTOR; }
inline bool is_closure(const Cell* c) { return type_of(c) == T_CLOSURE; }
inline bool is_macro(const Cell* c) { return type_of(c) == T_MACRO; }
inline bool is_port(const Cell* c) { return type_of(c) == T_PORT; }

inline Cell* car(const Cell* c) { return c->car; }
inline Cell* cdr(const Cell* c) { return c->cdr; }
inline Cell* cadr(const Cell* c) { return c->cdr->car; }
inline Cell* cddr(const Cell* c) { return c->cdr->cdr; }
inline Cell* caar(const Cell* c) { return c->car->car; }
inline Cell* cdar(const Cell* c) { return c->car->cdr; }
inline int64_t ivalue(const Cell* c) { return c->ival; }
inline char32_t char_value(const Cell* c) { return static_cast<char32_t>(c->uval); }

// Payload of a string: length in UTF-16 units, whether any surrogate pair is
// present (so character indexing can take the fast path), then the units and
// a terminating 0.
struct StringData {
  int64_t len;
  uint32_t has_pairs;
  char16_t text[1];
};

// Payload of a symbol: gensym number (0 for ordinary symbols), name length,
// the name's units and a terminating 0.
struct SymbolData {
  uint32_t gensym;
  int64_t len;
  char16_t name[1];
};

// Payload of a vector: element count, then the elements.
struct VectorData {
  int64_t count;
  Cell* items[1];
};

// One saved evaluator step: the operation to resume and the registers.
struct Frame {
  uint32_t op;
  Cell* args;
  Cell* envir;
  Cell* code;
};

// Payload of a continuation: the copied frames.
struct ContinuationData {
  int64_t count;
  Frame frames[1];
};

// Payload of an object: its class and one value per slot.
struct ObjectData {
  Cell* klass;
  int64_t count;
  Cell* slots[1];
};

inline StringData* string_data(const Cell* c) { return static_cast<StringData*>(c->ptr); }
inline std::u16string_view string_view_of(const Cell* c) {
  auto* d = string_data(c);
  return {d->text, static_cast<std::size_t>(d->len)};
}
inline SymbolData* symbol_data(const Cell* c) { return static_cast<SymbolData*>(c->ptr); }
inline std::u16string_view symbol_name(const Cell* c) {
  auto* d = symbol_data(c);
  return {d->name, static_cast<std::size_t>(d->len)};
}
inline VectorData* vector_data(const Cell* c) { return static_cast<VectorData*>(c->ptr); }
inline ObjectData* object_data(const Cell* c) { return static_cast<ObjectData*>(c->ptr); }

}  // namespace kestrel::scheme
