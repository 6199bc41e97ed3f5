// The chained hash map behind hash tables, the global environment and the
// symbol table. The bucket count is fixed at creation.
#include <cstdio>
#include <cstring>

#include "scheme/interp_p.h"

namespace kestrel::scheme {

namespace {

constexpr uint64_t kFoldPrime = 16777619;

inline uint64_t fold_bytes(uint64_t h, const void* data, std::size_t n) {
  auto* b = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) h = (h * kFoldPrime) ^ b[i];
  return h;
}

bool keys_equal(Interp& sc, int32_t kind, Cell* a, Cell* b) {
  switch (kind) {
    case HK_EQ:
    case HK_EQV:
      return eqv(a, b);
    case HK_EQUAL:
      return equal_values(sc, a, b);
    case HK_STRING:
      return is_string(a) && is_string(b) && string_view_of(a) == string_view_of(b);
    case HK_OBLIST:
      return symbol_name(a) == symbol_name(b);
    default:
      return a == b;
  }
}

}  // namespace

uint64_t hash_text(std::u16string_view text) {
  uint64_t h = 0;
  for (char16_t u : text) h = fold_bytes(h, &u, sizeof u);
  return h;
}

uint64_t hash_value(int32_t kind, const Cell* key) {
  switch (kind) {
    case HK_EQ:
    case HK_EQV:
    case HK_EQUAL: {
      if (is_integer(key)) return fold_bytes(0, &key->ival, 8);
      if (is_character(key)) {
        uint32_t cp = static_cast<uint32_t>(key->uval);
        return fold_bytes(0, &cp, 4);
      }
      if (kind == HK_EQUAL) {
        if (is_string(key)) return hash_text(string_view_of(key));
        return type_of(key);
      }
      break;
    }
    case HK_STRING:
      return is_string(key) ? hash_text(string_view_of(key)) : type_of(key);
    case HK_OBLIST:
      return hash_text(symbol_name(key));
    default:
      break;
  }
  // Pointer hash: cells are 8-byte aligned, so the low bits carry nothing.
  auto p = reinterpret_cast<uintptr_t>(key) >> 3;
  return (p * 0x9E3779B97F4A7C15ull) >> 20;
}

HashMap* hash_map_create(Interp& sc, int32_t kind, std::size_t buckets) {
  auto* m = block_new<HashMap>(sc);
  m->kind = kind;
  try {
    m->buckets.assign(buckets ? buckets : 1, nullptr);
  } catch (const std::bad_alloc&) {
    block_delete(sc, m);
    fatal_error(sc, u"no memory");
  }
  sc.bytes_in_use += m->buckets.size() * sizeof(HashEntry*);
  return m;
}

void hash_map_destroy(Interp& sc, HashMap* m) {
  if (!m) return;
  for (HashEntry*& head : m->buckets) {
    HashEntry* e = head;
    while (e) {
      HashEntry* next = e->next;
      block_free(sc, e);
      e = next;
    }
    head = nullptr;
  }
  sc.bytes_in_use -= m->buckets.size() * sizeof(HashEntry*);
  block_delete(sc, m);
}

HashEntry* hash_map_find(Interp& sc, HashMap* m, Cell* key) {
  uint64_t h = hash_value(m->kind, key);
  HashEntry* e = m->buckets[h % m->buckets.size()];
  std::size_t steps = 0;
  for (; e; e = e->next) {
    if (++steps > m->count + 1) {
      std::fputs("hash corrupted!!\n", stderr);
      return nullptr;
    }
    if (e->hash == h && keys_equal(sc, m->kind, e->key, key)) return e;
  }
  return nullptr;
}

HashEntry* hash_map_insert(Interp& sc, HashMap* m, Cell* key, Cell* value) {
  if (HashEntry* e = hash_map_find(sc, m, key)) return e;
  uint64_t h = hash_value(m->kind, key);
  auto* e = static_cast<HashEntry*>(block_alloc(sc, sizeof(HashEntry)));
  HashEntry*& head = m->buckets[h % m->buckets.size()];
  *e = HashEntry{key, value, h, head};
  head = e;
  ++m->count;
  return e;
}

bool hash_map_remove(Interp& sc, HashMap* m, Cell* key) {
  uint64_t h = hash_value(m->kind, key);
  HashEntry** link = &m->buckets[h % m->buckets.size()];
  for (HashEntry* e = *link; e; link = &e->next, e = e->next) {
    if (e->hash == h && keys_equal(sc, m->kind, e->key, key)) {
      *link = e->next;
      block_free(sc, e);
      --m->count;
      return true;
    }
  }
  return false;
}

Cell* oblist_find(Interp& sc, std::u16string_view name, uint64_t hash) {
  HashMap* m = hash_map_of(sc.oblist);
  for (HashEntry* e = m->buckets[hash % m->buckets.size()]; e; e = e->next) {
    if (e->hash == hash && symbol_name(e->key) == name) return e->value;
  }
  return nullptr;
}

}  // namespace kestrel::scheme
