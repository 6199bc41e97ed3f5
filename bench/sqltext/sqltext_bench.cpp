// Speed of the SQL text tools on big inputs: splitting and tokenizing a
// 50 MB script (goal: at least 100 MB/s), and the editor buffer loading a
// 1,000,000-line text, replacing 100,000 matches and undoing that (goal:
// each step under a second). The figures are printed with the goal beside
// them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/utf16.h"
#include "regex/regex.h"
#include "sqltext/edit_data.h"
#include "sqltext/sql_str_token.h"

namespace {

// A script of realistic statements, repeated up to `bytes` (UTF-8 size).
const std::u16string& Script() {
  static const std::u16string script = [] {
    const std::u16string block =
        u"-- monthly figures\n"
        u"SELECT e.empno, e.ename, d.dname, NVL(e.comm, 0) AS comm /* bonus; if any */\n"
        u"  FROM scott.emp e JOIN scott.dept d ON d.deptno = e.deptno\n"
        u" WHERE e.hiredate > TO_DATE('2001-01-01', 'YYYY-MM-DD') AND e.ename <> 'O''BRIEN';\n"
        u"INSERT INTO 社員 (社員番号, 氏名, メモ) VALUES (:X0, '山田 太郎', q'[it's; fine]');\n"
        u"UPDATE emp SET sal = sal * 1.05 WHERE deptno IN (10, 20) AND job = \"CLERK\";\n"
        u"CREATE OR REPLACE PROCEDURE raise_sal(p_empno NUMBER, p_pct NUMBER) IS\n"
        u"  v_sal emp.sal%TYPE;\n"
        u"BEGIN\n"
        u"  SELECT sal INTO v_sal FROM emp WHERE empno = p_empno FOR UPDATE;\n"
        u"  UPDATE emp SET sal = v_sal * (1 + p_pct / 100) WHERE empno = p_empno; -- raise\n"
        u"EXCEPTION WHEN NO_DATA_FOUND THEN RAISE_APPLICATION_ERROR(-20001, 'no such employee; ' || p_empno);\n"
        u"END raise_sal;\n"
        u"/\n"
        u"desc emp\n";
    const std::size_t block_bytes = kestrel::utf16_to_utf8(block).size();
    std::u16string s;
    const std::size_t target = 50u << 20;
    s.reserve(target / block_bytes * block.size() + block.size());
    for (std::size_t bytes = 0; bytes < target; bytes += block_bytes) s += block;
    return s;
  }();
  return script;
}

int64_t ScriptBytes() {
  static const int64_t bytes = static_cast<int64_t>(kestrel::utf16_to_utf8(Script()).size());
  return bytes;
}

const CSQLStrToken& Tokenizer() {
  static const CSQLStrToken* t = [] {
    auto* tok = new CSQLStrToken;
    std::u16string err;
    tok->InitDefaultKeyword(KESTREL_SOURCE_DIR "/data/keywords.txt", &err);
    return tok;
  }();
  return *t;
}

void BM_SplitScript(benchmark::State& state) {
  const std::u16string& script = Script();
  const CSQLStrToken& tok = Tokenizer();
  int64_t statements = 0;
  for (auto _ : state) {
    SqlStatement s;
    std::size_t pos = 0;
    statements = 0;
    for (std::ptrdiff_t next; (next = tok.NextStatement(script, pos, &s)) >= 0; pos = static_cast<std::size_t>(next))
      ++statements;
    benchmark::DoNotOptimize(statements);
  }
  state.SetBytesProcessed(state.iterations() * ScriptBytes());
  state.counters["statements"] = static_cast<double>(statements);
}
BENCHMARK(BM_SplitScript)->Unit(benchmark::kMillisecond)->Iterations(3);

// Tokens only, as the splitter's callers and the completion popup scan.
void BM_Tokenize(benchmark::State& state) {
  const std::u16string& script = Script();
  const CSQLStrToken& tok = Tokenizer();
  int64_t tokens = 0;
  for (auto _ : state) {
    CStrToken::LexState st;
    tokens = 0;
    for (std::size_t pos = 0;;) {
      CStrToken::Token t = tok.ScanToken(script, pos, &st);
      if (t.type == CStrToken::TokenType::kEnd) break;
      pos += t.length;
      ++tokens;
    }
    benchmark::DoNotOptimize(tokens);
  }
  state.SetBytesProcessed(state.iterations() * ScriptBytes());
  state.counters["tokens"] = static_cast<double>(tokens);
}
BENCHMARK(BM_Tokenize)->Unit(benchmark::kMillisecond)->Iterations(3);

// Tokens with every word looked up in the keyword table, as colouring does.
void BM_TokenizeWithKeywords(benchmark::State& state) {
  const std::u16string& script = Script();
  const CSQLStrToken& tok = Tokenizer();
  int64_t keywords = 0;
  for (auto _ : state) {
    auto table = tok.ActiveKeywords();
    CStrToken::LexState st;
    keywords = 0;
    for (std::size_t pos = 0;;) {
      CStrToken::Token t = tok.ScanToken(script, pos, &st);
      if (t.type == CStrToken::TokenType::kEnd) break;
      if (t.type == CStrToken::TokenType::kWord || t.type == CStrToken::TokenType::kOperator) {
        std::size_t len = 0;
        if (tok.MatchKeywordIndex(*table, script, pos, &len) >= 0) {
          ++keywords;
          if (len > t.length) t.length = len;
        }
      }
      pos += t.length;
    }
    benchmark::DoNotOptimize(keywords);
  }
  state.SetBytesProcessed(state.iterations() * ScriptBytes());
  state.counters["keywords"] = static_cast<double>(keywords);
}
BENCHMARK(BM_TokenizeWithKeywords)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1,000,000 lines; every tenth holds the word the replace looks for.
const std::u16string& BigText() {
  static const std::u16string text = [] {
    std::u16string s;
    s.reserve(1000000 * 40);
    for (int i = 0; i < 1000000; ++i) {
      s += u"line ";
      s += kestrel::to_u16(i);
      s += i % 10 == 0 ? u" select target from dual\r\n" : u" nothing to see here at all\r\n";
    }
    return s;
  }();
  return text;
}

void BM_LoadMillionLines(benchmark::State& state) {
  const std::u16string& text = BigText();
  for (auto _ : state) {
    CEditData d;
    d.SetText(text);
    benchmark::DoNotOptimize(d.GetLineCnt());
  }
  state.counters["lines"] = 1000001;
}
BENCHMARK(BM_LoadMillionLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReplaceAll100k(benchmark::State& state) {
  auto re = kestrel::compile_regex(u"target", 0);
  int replaced = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<CEditData>();
    d->SetText(BigText());
    state.ResumeTiming();
    replaced = re ? d->ReplaceAll(*re, u"TARGET_NAME", true, false) : -1;
    state.PauseTiming();
    d.reset();
    state.ResumeTiming();
  }
  state.counters["replaced"] = replaced;
}
BENCHMARK(BM_ReplaceAll100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UndoReplaceAll100k(benchmark::State& state) {
  auto re = kestrel::compile_regex(u"target", 0);
  bool restored = false;
  for (auto _ : state) {
    state.PauseTiming();
    auto d = std::make_unique<CEditData>();
    d->SetText(BigText());
    if (re) d->ReplaceAll(*re, u"TARGET_NAME", true, false);
    state.ResumeTiming();
    d->Undo();
    state.PauseTiming();
    restored = d->GetLine(0) == u"line 0 select target from dual";
    d.reset();
    state.ResumeTiming();
  }
  state.counters["restored"] = restored ? 1 : 0;
}
BENCHMARK(BM_UndoReplaceAll100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
