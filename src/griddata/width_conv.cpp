// Half-width / full-width tables. Tested over the whole tables by
// tests/griddata/width_conv_test.cpp.
#include "griddata/width_conv.h"

#include "platform/utf16.h"

namespace kestrel {
namespace {

// Full-width forms of U+FF61..U+FF9F, in order.
constexpr char16_t kKanaFull[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
    u"ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof(kKanaFull) / sizeof(char16_t) == 63 + 1);

constexpr char16_t kVoicedFull[] = u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ";
constexpr char16_t kVoicedBase[] = u"ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ";
constexpr char16_t kSemiVoicedFull[] = u"パピプペポ";
constexpr char16_t kSemiVoicedBase[] = u"ﾊﾋﾌﾍﾎ";
constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

int index_of(const char16_t* table, std::size_t n, char32_t c) {
  for (std::size_t i = 0; i < n; ++i)
    if (table[i] == c) return static_cast<int>(i);
  return -1;
}

template <std::size_t N>
int index_of(const char16_t (&table)[N], char32_t c) {
  return index_of(table, N - 1, c);
}

}  // namespace

bool to_zenkaku(std::u16string_view in, std::u16string& out, bool alnum, bool kana) {
  out.clear();
  out.reserve(in.size());
  bool any = false;
  for (std::size_t i = 0; i < in.size();) {
    std::size_t len = 1;
    char32_t c = code_point_at(in, i, &len);
    i += len;
    if (alnum && c >= 0x20 && c <= 0x7E) {
      any = true;
      if (c == u' ') out.push_back(0x3000);
      else if (c == u'\\') out.push_back(0xFFE5);
      else if (c == u'~') out.push_back(0xFFE3);
      else out.push_back(static_cast<char16_t>(c + 0xFEE0));
      continue;
    }
    if (kana && c >= 0xFF61 && c <= 0xFF9F) {
      any = true;
      char16_t next = i < in.size() ? in[i] : 0;
      int v;
      if (next == kVoicedMark && (v = index_of(kVoicedBase, c)) >= 0) {
        out.push_back(kVoicedFull[v]);
        ++i;
      } else if (next == kSemiVoicedMark && (v = index_of(kSemiVoicedBase, c)) >= 0) {
        out.push_back(kSemiVoicedFull[v]);
        ++i;
      } else {
        out.push_back(kKanaFull[c - 0xFF61]);
      }
      continue;
    }
    append_code_point(out, c);
  }
  return any;
}

bool to_hankaku(std::u16string_view in, std::u16string& out, bool alnum, bool kana) {
  out.clear();
  out.reserve(in.size());
  bool any = false;
  for (std::size_t i = 0; i < in.size();) {
    std::size_t len = 1;
    char32_t c = code_point_at(in, i, &len);
    i += len;
    if (alnum) {
      char16_t h = 0;
      if (c >= 0xFF01 && c <= 0xFF5D) h = static_cast<char16_t>(c - 0xFEE0);
      else if (c == 0x3000) h = u' ';
      else if (c == 0xFFE5) h = u'\\';
      else if (c == 0xFFE3) h = u'~';
      else if (c == 0x201D) h = u'"';
      else if (c == 0x2019) h = u'\'';
      else if (c == 0x2018) h = u'`';
      if (h) {
        any = true;
        out.push_back(h);
        continue;
      }
    }
    if (kana) {
      int v;
      if ((v = index_of(kKanaFull, c)) >= 0) {
        any = true;
        out.push_back(static_cast<char16_t>(0xFF61 + v));
        continue;
      }
      if ((v = index_of(kVoicedFull, c)) >= 0) {
        any = true;
        out.push_back(kVoicedBase[v]);
        out.push_back(kVoicedMark);
        continue;
      }
      if ((v = index_of(kSemiVoicedFull, c)) >= 0) {
        any = true;
        out.push_back(kSemiVoicedBase[v]);
        out.push_back(kSemiVoicedMark);
        continue;
      }
    }
    append_code_point(out, c);
  }
  return any;
}

}  // namespace kestrel
