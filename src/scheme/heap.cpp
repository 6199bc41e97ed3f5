// Cell heap and collector. Cells live in segments of 4096 and never move.
// Allocation sweeps lazily: it scans forward from the cursor, clearing the
// marks of live cells and reusing the first unmarked one. Marking uses
// pointer reversal, so deep lists cost no machine stack; the payloads of
// vectors, hash tables and the like are queued on a work list whose room is
// reserved with each segment (every cell is queued at most once).
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/ui_services.h"
#include "scheme/interp_p.h"

namespace kestrel::scheme {

namespace {

struct BlockHeader {
  uint64_t size;
  uint64_t reserved;
};
static_assert(sizeof(BlockHeader) == 16, "payloads stay 16-byte aligned");

inline bool marked(const Cell* c) { return (c->flag & kMarkFlag) != 0; }

// Queues a cell whose children the pointer-reversal pass cannot reach.
inline void queue(Interp& sc, Cell* c) {
  if (c && !marked(c)) {
    c->flag |= kMarkFlag;
    sc.mark_work.push_back(c);  // capacity reserved: one slot per cell
  }
}

void mark_payload(Interp& sc, Cell* p) {
  switch (type_of(p)) {
    case T_VECTOR: {
      auto* v = vector_data(p);
      for (int64_t i = 0; i < v->count; ++i) queue(sc, v->items[i]);
      break;
    }
    case T_CONTINUATION: {
      auto* k = static_cast<ContinuationData*>(p->ptr);
      for (int64_t i = 0; i < k->count; ++i) {
        queue(sc, k->frames[i].args);
        queue(sc, k->frames[i].envir);
        queue(sc, k->frames[i].code);
      }
      break;
    }
    case T_REGMATCH:
      queue(sc, regmatch_subject(static_cast<RegmatchData*>(p->ptr)));
      break;
    case T_HASHTABLE: {
      HashMap* m = hash_map_of(p);
      for (HashEntry* e : m->buckets) {
        for (; e; e = e->next) {
          if (m->kind != HK_OBLIST) queue(sc, e->key);
          queue(sc, e->value);
        }
      }
      break;
    }
    case T_CLASS: {
      auto* k = static_cast<ClassData*>(p->ptr);
      queue(sc, k->slots);
      queue(sc, k->supers);
      break;
    }
    case T_OBJECT: {
      auto* o = object_data(p);
      queue(sc, o->klass);
      for (int64_t i = 0; i < o->count; ++i) queue(sc, o->slots[i]);
      break;
    }
    default:
      break;
  }
}

// Deutsch-Schorr-Waite marking from `p` (which may already carry its mark
// when it came off the work list). While the car of a pair is being
// visited the pair carries the atom flag as a note, cleared on the way back.
void mark_from(Interp& sc, Cell* p) {
  Cell* t = nullptr;
  Cell* q;
E2:
  p->flag |= kMarkFlag;
  if (p->flag & kAtomFlag) {
    mark_payload(sc, p);
    goto E6;
  }
  q = p->car;
  if (q && !marked(q)) {
    p->flag |= kAtomFlag;
    p->car = t;
    t = p;
    p = q;
    goto E2;
  }
E5:
  q = p->cdr;
  if (q && !marked(q)) {
    p->cdr = t;
    t = p;
    p = q;
    goto E2;
  }
E6:
  if (!t) return;
  q = t;
  if (q->flag & kAtomFlag) {
    q->flag &= ~kAtomFlag;
    t = q->car;
    q->car = p;
    p = q;
    goto E5;
  }
  t = q->cdr;
  q->cdr = p;
  p = q;
  goto E6;
}

void mark(Interp& sc, Cell* root) {
  if (!root || marked(root)) return;
  mark_from(sc, root);
  while (!sc.mark_work.empty()) {
    Cell* c = sc.mark_work.back();
    sc.mark_work.pop_back();
    mark_from(sc, c);
  }
}

void finalize(Interp& sc, Cell* c) {
  switch (type_of(c)) {
    case T_STRING:
    case T_SYMBOL:
    case T_VECTOR:
    case T_CONTINUATION:
    case T_OBJECT:
      block_free(sc, c->ptr);
      break;
    case T_CALLBACK:
      block_delete(sc, static_cast<CallbackData*>(c->ptr));
      break;
    case T_CLASS:
      block_delete(sc, static_cast<ClassData*>(c->ptr));
      break;
    case T_PORT: {
      auto* p = port_data(c);
      if (!p->standard_stream) port_close(p);
      block_delete(sc, p);
      break;
    }
    case T_REGEXP:
      regexp_free(sc, static_cast<RegexpData*>(c->ptr));
      break;
    case T_REGMATCH:
      regmatch_free(sc, static_cast<RegmatchData*>(c->ptr));
      break;
    case T_HASHTABLE:
      hash_map_destroy(sc, hash_map_of(c));
      break;
    default:
      break;
  }
  c->flag = 0;
  c->car = nullptr;
  c->cdr = nullptr;
}

void mark_roots(Interp& sc, Cell* a, Cell* b) {
  mark(sc, sc.oblist);
  mark(sc, sc.global_env);
  mark(sc, sc.protected_list);
  mark(sc, sc.args);
  mark(sc, sc.envir);
  mark(sc, sc.code);
  mark(sc, sc.value);
  mark(sc, sc.pending_values);
  mark(sc, sc.inport);
  mark(sc, sc.outport);
  mark(sc, sc.errport);
  mark(sc, sc.scratch_port);
  mark(sc, sc.saved_outport);
  mark(sc, sc.subr_cons);
  mark(sc, sc.subr_append);
  for (const Frame& f : sc.dump) {
    mark(sc, f.args);
    mark(sc, f.envir);
    mark(sc, f.code);
  }
  for (Cell** r : sc.roots) mark(sc, *r);
  for (const ReaderFrame& f : sc.reader_frames) {
    mark(sc, f.acc);
    mark(sc, f.tail);
  }
  mark(sc, a);
  mark(sc, b);
}

void mark_phase(Interp& sc, Cell* a, Cell* b) {
  if (sc.gc_verbose) std::fputs("gc...", stderr);
  ++sc.collections;
  sc.alloc_segment = 0;
  sc.alloc_cursor = sc.segments[0];
  sc.alloc_end = sc.segments[0] + sc.segment_cells[0];
  sc.live_cells = 0;
  mark_roots(sc, a, b);
}

// Sweeps cells [from, end of heap). Before a mark phase the marks left
// from the last cycle are cleared (dead cells are finalised on the way);
// after one, dead cells are finalised and live cells keep their marks for
// the lazy scan, which clears them as it passes and counts them live.
enum class SweepMode { ClearMarks, FreeDead };

void sweep_rest(Interp& sc, int seg, Cell* from, SweepMode mode) {
  for (int s = seg; s <= sc.last_segment; ++s) {
    Cell* c = s == seg ? from : sc.segments[s];
    Cell* end = sc.segments[s] + sc.segment_cells[s];
    for (; c < end; ++c) {
      if (c->flag & kMarkFlag) {
        if (mode == SweepMode::ClearMarks) c->flag &= ~kMarkFlag;
      } else if (c->flag != 0) {
        finalize(sc, c);
      }
    }
  }
}

void add_segment(Interp& sc) {
  int next = sc.last_segment + 1;
  if (next >= static_cast<int>(kMaxSegments)) fatal_error(sc, u"no memory");
  auto* seg = static_cast<Cell*>(std::calloc(kSegmentCells, sizeof(Cell)));
  if (!seg) fatal_error(sc, u"no memory");
  try {
    sc.mark_work.reserve(sc.total_cells + kSegmentCells);
  } catch (const std::bad_alloc&) {
    std::free(seg);
    fatal_error(sc, u"no memory");
  }
  sc.segments[next] = seg;
  sc.segment_cells[next] = kSegmentCells;
  sc.last_segment = next;
  sc.total_cells += kSegmentCells;
  sc.alloc_segment = next;
  sc.alloc_cursor = seg;
  sc.alloc_end = seg + kSegmentCells;
}

Cell* lazy_scan(Interp& sc) {
  for (;;) {
    while (sc.alloc_cursor < sc.alloc_end) {
      Cell* c = sc.alloc_cursor++;
      if (c->flag & kMarkFlag) {
        c->flag &= ~kMarkFlag;
        ++sc.live_cells;
        continue;
      }
      if (c->flag != 0) finalize(sc, c);
      return c;
    }
    if (sc.alloc_segment >= sc.last_segment) return nullptr;
    ++sc.alloc_segment;
    sc.alloc_cursor = sc.segments[sc.alloc_segment];
    sc.alloc_end = sc.alloc_cursor + sc.segment_cells[sc.alloc_segment];
  }
}

}  // namespace

void heap_init(Interp& sc) { add_segment(sc); }

void heap_destroy(Interp& sc) {
  for (int s = 0; s <= sc.last_segment; ++s) {
    Cell* end = sc.segments[s] + sc.segment_cells[s];
    for (Cell* c = sc.segments[s]; c < end; ++c) {
      c->flag &= ~kMarkFlag;
      if (c->flag != 0) finalize(sc, c);
    }
  }
  for (int s = 0; s <= sc.last_segment; ++s) std::free(sc.segments[s]);
  sc.last_segment = -1;
}

void full_collect(Interp& sc, Cell* a, Cell* b) {
  // Marks left from the previous cycle ahead of the cursor must go first,
  // or the new mark would stop at them.
  sweep_rest(sc, sc.alloc_segment, sc.alloc_cursor, SweepMode::ClearMarks);
  mark_phase(sc, a, b);
  sweep_rest(sc, 0, sc.segments[0], SweepMode::FreeDead);
}

Cell* get_cell(Interp& sc, Cell* a, Cell* b) {
  if (sc.inhibit_gc == 0 && (sc.gc_stress || sc.bytes_in_use > sc.gc_threshold)) {
    full_collect(sc, a, b);
    if (!sc.gc_stress && sc.bytes_in_use > sc.gc_threshold / 2) sc.gc_threshold *= 2;
  }
  Cell* c = lazy_scan(sc);
  if (!c) {
    // The live count is that of the last mark; when the heap cannot grow
    // any more a fresh mark decides instead.
    bool at_limit = sc.last_segment + 1 >= static_cast<int>(kMaxSegments);
    if (sc.inhibit_gc == 0 && (at_limit || sc.total_cells - sc.live_cells > sc.total_cells / 2)) {
      mark_phase(sc, a, b);
      c = lazy_scan(sc);
    }
    if (!c) {
      add_segment(sc);
      c = lazy_scan(sc);
    }
  }
  return c;
}

void* block_alloc(Interp& sc, std::size_t bytes) {
  if (bytes > kMaxBlockBytes || sc.bytes_in_use + bytes > kMaxBlockBytes) fatal_error(sc, u"no memory");
  void* raw = std::malloc(bytes + sizeof(BlockHeader));
  if (!raw) fatal_error(sc, u"no memory");
  auto* h = static_cast<BlockHeader*>(raw);
  h->size = bytes;
  sc.bytes_in_use += bytes;
  return h + 1;
}

void block_free(Interp& sc, void* p) {
  if (!p) return;
  auto* h = static_cast<BlockHeader*>(p) - 1;
  sc.bytes_in_use -= h->size;
  std::free(h);
}

void fatal_error(Interp& sc, std::u16string_view text) {
  std::u16string msg = u"fatal error: ";
  msg.append(text);
  set_message(sc, msg);
  if (sc.fatal_handler) {
    sc.fatal_handler(sc.fatal_context, sc.message);
  } else {
    ui().message_box(sc.message, u"scheme fatal error", mb::OK | mb::ICONERROR);
  }
  throw FatalError{};
}

}  // namespace kestrel::scheme
