// Bulk update processes: a functor turns one cell's text into its new text;
// CGridData::RunUpdateProcess applies it over the selection as one undo step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "griddata/grid_data.h"

class CGridData::CGridUpdateProcess {
 public:
  virtual ~CGridUpdateProcess() = default;
  // The new text of a cell whose current text is `text`.
  virtual std::u16string Process(std::u16string_view text) = 0;
};

namespace kestrel {

class MakeLowerProcess final : public CGridData::CGridUpdateProcess {
 public:
  std::u16string Process(std::u16string_view text) override;
};

class MakeUpperProcess final : public CGridData::CGridUpdateProcess {
 public:
  std::u16string Process(std::u16string_view text) override;
};

class MakeToHankakuProcess final : public CGridData::CGridUpdateProcess {
 public:
  MakeToHankakuProcess(bool alnum, bool kana) : alnum_(alnum), kana_(kana) {}
  std::u16string Process(std::u16string_view text) override;

 private:
  bool alnum_, kana_;
};

class MakeToZenkakuProcess final : public CGridData::CGridUpdateProcess {
 public:
  MakeToZenkakuProcess(bool alnum, bool kana) : alnum_(alnum), kana_(kana) {}
  std::u16string Process(std::u16string_view text) override;

 private:
  bool alnum_, kana_;
};

// The first cell gets start, every later cell the previous value plus step,
// written as a signed 64-bit decimal. The caller checks the range first.
class InputSequenceProcess final : public CGridData::CGridUpdateProcess {
 public:
  InputSequenceProcess(int64_t start, int64_t step) : next_(start), step_(step) {}
  std::u16string Process(std::u16string_view text) override;

 private:
  int64_t next_, step_;
};

}  // namespace kestrel
