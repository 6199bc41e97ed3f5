// Kestrel's regex engine against PCRE2 (16-bit, interpreter, no JIT) on the
// same 10 MB of mixed Japanese/ASCII text, in one run. Every benchmark
// counts all matches in the text; the table at the end prints each
// pattern's time ratio (kestrel / peer) and checks that the counts agree.
//
//   cmake -DKESTREL_BUILD_BENCH=ON ... && ./regex_bench
#define PCRE2_CODE_UNIT_WIDTH 16
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "platform/utf16.h"
#include "regex/regex.h"

namespace {

using kestrel::compile_plain_text;
using kestrel::compile_regex;
using kestrel::Regex;

// About 5 million UTF-16 units (10 MB): words from an ASCII and a Japanese
// vocabulary, numbers, punctuation and line breaks.
const std::u16string& corpus() {
  static const std::u16string text = [] {
    const char* const ascii[] = {"the", "table", "select", "from", "where", "order", "grid", "value", "Kestrel",
                                 "column", "row", "update", "commit", "index", "query", "Tokyo", "Osaka",
                                 "alpha", "beta", "gamma", "data", "text", "search", "replace", "filter"};
    const char* const japanese[] = {"東京", "大阪", "京都", "テーブル", "データ", "検索", "置換", "列", "行",
                                    "更新", "です", "ます", "の", "に", "を", "は", "が", "都", "府", "県",
                                    "ＳＥＬＥＣＴ", "ｄａｔａ", "全角", "半角", "一覧"};
    const char* const rare[] = {"needle", "DataBase", "apple", "banana", "cherry", "東京都", "ＤＡＴＡ",
                                "foxtrot", "hotel", "juliet", "word word", "東京都庁"};
    std::mt19937 rng(42);
    std::u16string t;
    t.reserve(5'200'000);
    while (t.size() < 5'000'000) {
      const unsigned r = rng() % 1000;
      if (r < 4) t += kestrel::u16(rare[rng() % std::size(rare)]);
      else if (r < 500) t += kestrel::u16(ascii[rng() % std::size(ascii)]);
      else if (r < 900) t += kestrel::u16(japanese[rng() % std::size(japanese)]);
      else t += kestrel::to_u16(rng() % 10000);
      const unsigned s = rng() % 20;
      t += s == 0 ? u"\n" : s == 1 ? u", " : s == 2 ? u"。" : u" ";
    }
    return t;
  }();
  return text;
}

struct Case {
  const char* name;
  const char16_t* pattern;
  unsigned flags;
  const char16_t* pcre_pattern;  // equivalent pattern for PCRE2
  std::uint32_t pcre_flags;
};

const Case kCases[] = {
    {"literal", u"Kestrel", 0, u"Kestrel", 0},
    {"literal_ci", u"database", kestrel::kRegexIgnoreCase, u"database", PCRE2_CASELESS},
    {"class_heavy", u"[A-Z][a-z]+ [0-9]{2,}", 0, u"[A-Z][a-z]+ [0-9]{2,}", 0},
    {"alternation10", u"apple|banana|cherry|delta|echo|foxtrot|golf|hotel|india|juliet", 0,
     u"apple|banana|cherry|delta|echo|foxtrot|golf|hotel|india|juliet", 0},
    {"backref", u"\\b(\\w+) \\1\\b", 0, u"\\b(\\w+) \\1\\b", 0},
    {"lookbehind", u"(?<=東京)都", 0, u"(?<=東京)都", 0},
    {"width_literal", u"DATA", kestrel::kRegexIgnoreWidth, u"[DＤ][AＡ][TＴ][AＡ]", 0},
};

std::size_t count_ours(Regex& re, const std::u16string& text) {
  std::size_t n = 0;
  std::size_t at = 0;
  while (at <= text.size() && re.execute(text, at) == 1) {
    ++n;
    const auto end = static_cast<std::size_t>(re.match_end());
    at = end > at ? end : at + 1;
  }
  return n;
}

std::size_t count_pcre(const std::u16string& pattern, std::uint32_t flags, const std::u16string& text) {
  int err = 0;
  PCRE2_SIZE off = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_UTF | PCRE2_MULTILINE | flags, &err, &off, nullptr);
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
  std::size_t n = 0;
  PCRE2_SIZE at = 0;
  while (at <= text.size() &&
         pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), at, PCRE2_NO_UTF_CHECK, md,
                     nullptr) >= 0) {
    ++n;
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    at = ov[1] > at ? ov[1] : at + 1;
  }
  pcre2_match_data_free(md);
  pcre2_code_free(code);
  return n;
}

std::map<std::string, std::size_t>& counts() {
  static std::map<std::string, std::size_t> m;
  return m;
}

void BM_Kestrel(benchmark::State& state, const Case* c) {
  auto re = compile_regex(c->pattern, c->flags);
  std::size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = count_ours(*re, corpus()));
  counts()[std::string("kestrel/") + c->name] = n;
  state.counters["matches"] = static_cast<double>(n);
}

void BM_Pcre2(benchmark::State& state, const Case* c) {
  std::size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = count_pcre(c->pcre_pattern, c->pcre_flags, corpus()));
  counts()[std::string("pcre2/") + c->name] = n;
  state.counters["matches"] = static_cast<double>(n);
}

const char16_t kNeedle[] = u"東京都庁";

void BM_KestrelPlain(benchmark::State& state) {
  auto re = compile_plain_text(kNeedle, 0);
  std::size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = count_ours(*re, corpus()));
  counts()["kestrel/plain_text"] = n;
}

void BM_Pcre2Plain(benchmark::State& state) {
  std::size_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = count_pcre(kNeedle, 0, corpus()));
  counts()["pcre2/plain_text"] = n;
}

void BM_U16FindPlain(benchmark::State& state) {
  const std::u16string_view text = corpus();
  std::size_t n = 0;
  for (auto _ : state) {
    n = 0;
    for (std::size_t at = text.find(kNeedle); at != std::u16string_view::npos; at = text.find(kNeedle, at + 1)) ++n;
    benchmark::DoNotOptimize(n);
  }
  counts()["u16find/plain_text"] = n;
}

// Records each run's time so that ratios can be printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  corpus();
  for (const Case& c : kCases) {
    benchmark::RegisterBenchmark((std::string("kestrel/") + c.name).c_str(), BM_Kestrel, &c)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("pcre2/") + c.name).c_str(), BM_Pcre2, &c)->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("kestrel/plain_text", BM_KestrelPlain)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("pcre2/plain_text", BM_Pcre2Plain)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("u16find/plain_text", BM_U16FindPlain)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\n%-16s %12s %12s %8s %10s\n", "pattern", "kestrel ms", "peer ms", "ratio", "matches");
  auto row = [&](const std::string& name, const std::string& peer) {
    const auto k = reporter.times.find("kestrel/" + name);
    const auto p = reporter.times.find(peer + "/" + name);
    if (k == reporter.times.end() || p == reporter.times.end()) return;
    const std::size_t kc = counts()["kestrel/" + name];
    const std::size_t pc = counts()[peer + "/" + name];
    std::printf("%-16s %12.2f %12.2f %8.2f %10zu%s  (vs %s)\n", name.c_str(), k->second, p->second,
                k->second / p->second, kc, kc == pc ? "" : "  COUNT MISMATCH", peer.c_str());
  };
  for (const Case& c : kCases) row(c.name, "pcre2");
  row("plain_text", "pcre2");
  row("plain_text", "u16find");
  benchmark::Shutdown();
  return 0;
}
