#include "platform/ini_file.h"

#include "platform/codepage.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

struct Parsed {
  enum Kind { Blank, Comment, Section, Key } kind = Blank;
  std::u16string_view name;
  std::u16string_view value;  // raw, blanks trimmed, quotes kept
};

Parsed classify(std::u16string_view text) {
  Parsed p;
  std::u16string_view t = trim_blanks(text);
  if (t.empty()) return p;
  if (t[0] == u';' || t[0] == u'#') {
    p.kind = Parsed::Comment;
    return p;
  }
  if (t[0] == u'[') {
    p.kind = Parsed::Section;
    std::size_t close = t.rfind(u']');
    std::u16string_view inner = close == std::u16string_view::npos || close == 0 ? t.substr(1) : t.substr(1, close - 1);
    p.name = trim_blanks(inner);
    return p;
  }
  p.kind = Parsed::Key;
  std::size_t eq = t.find(u'=');
  if (eq == std::u16string_view::npos) {
    p.name = t;
  } else {
    p.name = trim_blanks(t.substr(0, eq));
    p.value = trim_blanks(t.substr(eq + 1));
  }
  return p;
}

std::u16string unquote(std::u16string_view v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    return std::u16string(v.substr(1, v.size() - 2));
  return std::u16string(v);
}

bool needs_quotes(std::u16string_view v) {
  if (v.empty()) return false;
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  if (blank(v.front()) || blank(v.back())) return true;
  return v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front();
}

bool has_line_break(std::u16string_view s) { return s.find_first_of(u"\r\n") != std::u16string_view::npos; }

// Splits raw bytes into lines. CP932 and UTF-8 never use CR or LF inside a
// multibyte character, so splitting the bytes is safe for both.
void split_raw(std::string_view bytes, std::vector<std::pair<std::string_view, std::string_view>>& out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c != '\r' && c != '\n') continue;
    std::size_t eol_len = (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    out.emplace_back(bytes.substr(start, i - start), bytes.substr(i, eol_len));
    i += eol_len - 1;
    start = i + 1;
  }
  if (start < bytes.size()) out.emplace_back(bytes.substr(start), std::string_view());
}

}  // namespace

IniFile IniFile::parse(std::string_view bytes) {
  IniFile ini;
  ini.encoding_ = detect_encoding(bytes);
  std::string_view body = bytes.substr(bom_length(ini.encoding_));
  if (ini.encoding_ == TextEncoding::Utf16LeBom || ini.encoding_ == TextEncoding::Utf16BeBom) {
    // Lines of a UTF-16 file are re-encoded on save; keep their line ends.
    std::u16string text = decode_as(body, ini.encoding_);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && text[i] != u'\r' && text[i] != u'\n') continue;
      if (i == text.size() && start == i) break;
      Line line;
      line.text = text.substr(start, i - start);
      line.changed = true;
      if (i < text.size()) {
        bool crlf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        line.eol = crlf ? "\r\n" : (text[i] == u'\r' ? "\r" : "\n");
        if (crlf) ++i;
      }
      ini.lines_.push_back(std::move(line));
      start = i + 1;
    }
    return ini;
  }
  std::vector<std::pair<std::string_view, std::string_view>> raw;
  split_raw(body, raw);
  ini.lines_.reserve(raw.size());
  for (auto& [content, eol] : raw) {
    Line line;
    line.raw = std::string(content);
    line.eol = std::string(eol);
    line.text = decode_as(content, ini.encoding_);
    ini.lines_.push_back(std::move(line));
  }
  return ini;
}

ReadStatus IniFile::load(const std::filesystem::path& file, std::u16string* error) {
  std::string bytes;
  ReadStatus st = read_file_bytes(file, bytes, error);
  *this = st == ReadStatus::Ok ? parse(bytes) : IniFile();
  return st;
}

std::string IniFile::new_line_end() const {
  for (const Line& l : lines_)
    if (!l.eol.empty()) return l.eol;
  return "\n";
}

std::string IniFile::serialize() const {
  TextEncoding enc = encoding_;
  // A CP932 file that now holds a character CP932 lacks is written as UTF-8
  // rather than losing the character.
  if (enc == TextEncoding::Cp932) {
    for (const Line& l : lines_)
      if (l.changed && !fits_cp932(l.text)) {
        enc = TextEncoding::Utf8;
        break;
      }
  }
  const bool wide = enc == TextEncoding::Utf16LeBom || enc == TextEncoding::Utf16BeBom;
  if (wide) {
    std::u16string all;
    for (const Line& l : lines_) {
      all += l.text;
      all += utf8_to_utf16(l.eol);
    }
    return encode_text(all, enc);
  }
  std::string out = encode_text(u"", enc);  // the byte-order mark, if any
  for (const Line& l : lines_) {
    if (l.changed || enc != encoding_)
      out += encode_text(l.text, enc == TextEncoding::Utf8Bom ? TextEncoding::Utf8 : enc);
    else
      out += l.raw;
    out += l.eol;
  }
  return out;
}

bool IniFile::save(const std::filesystem::path& file, mode_t mode_for_new, std::u16string* error) const {
  return write_file_atomic(file, serialize(), mode_for_new, error);
}

std::vector<IniFile::Range> IniFile::sections(std::u16string_view section) const {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<Range> out;
  std::size_t open = kNone;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Parsed p = classify(lines_[i].text);
    if (p.kind != Parsed::Section) continue;
    if (open != kNone) out.push_back({open, i});
    open = iequals_ascii(p.name, section) ? i : kNone;
  }
  if (open != kNone) out.push_back({open, lines_.size()});
  return out;
}

std::optional<std::size_t> IniFile::find_key_line(std::u16string_view section, std::u16string_view key) const {
  for (const Range& r : sections(section)) {
    for (std::size_t i = r.header + 1; i < r.end; ++i) {
      Parsed p = classify(lines_[i].text);
      if (p.kind == Parsed::Key && iequals_ascii(p.name, key)) return i;
    }
  }
  return std::nullopt;
}

std::optional<std::u16string> IniFile::find(std::u16string_view section, std::u16string_view key) const {
  std::optional<std::size_t> i = find_key_line(section, key);
  if (!i) return std::nullopt;
  return unquote(classify(lines_[*i].text).value);
}

std::u16string IniFile::get_string(std::u16string_view section, std::u16string_view key,
                                   std::u16string_view def) const {
  if (auto v = find(section, key)) return *v;
  while (!def.empty() && (def.back() == u' ' || def.back() == u'\t')) def.remove_suffix(1);
  return std::u16string(def);
}

int32_t IniFile::get_int(std::u16string_view section, std::u16string_view key, int32_t def) const {
  std::optional<std::u16string> v = find(section, key);
  if (!v || v->empty()) return def;
  return parse_leading_int(*v);
}

void IniFile::insert_line(std::size_t at, std::u16string text) {
  Line line;
  line.text = std::move(text);
  line.changed = true;
  line.eol = new_line_end();
  // A line inserted after an unterminated last line needs that line ended.
  if (at > 0 && at == lines_.size() && lines_[at - 1].eol.empty()) lines_[at - 1].eol = line.eol;
  if (at == lines_.size()) line.eol = lines_.empty() ? new_line_end() : lines_.back().eol;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

bool IniFile::set_string(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  std::u16string_view k = trim_blanks(key);
  std::u16string_view s = trim_blanks(section);
  if (k.empty() || has_line_break(section) || has_line_break(key) || has_line_break(value)) return false;
  if (k.find(u'=') != std::u16string_view::npos || k[0] == u'[' || k[0] == u';' || k[0] == u'#') return false;
  if (s.find(u']') != std::u16string_view::npos) return false;

  std::u16string text(k);
  text += u'=';
  if (needs_quotes(value)) {
    text += u'"';
    text += value;
    text += u'"';
  } else {
    text += value;
  }

  if (std::optional<std::size_t> i = find_key_line(s, k)) {
    Line& line = lines_[*i];
    if (line.text == text) return true;
    line.text = std::move(text);
    line.changed = true;
    line.raw.clear();
    return true;
  }
  std::vector<Range> rs = sections(s);
  if (rs.empty()) {
    // New section at the end, after a blank line when the file has content.
    if (!lines_.empty() && classify(lines_.back().text).kind != Parsed::Blank) insert_line(lines_.size(), u"");
    std::u16string header = u"[";
    header += s;
    header += u']';
    insert_line(lines_.size(), std::move(header));
    insert_line(lines_.size(), std::move(text));
    return true;
  }
  // After the section's last key (or its header), before trailing blanks and
  // comments that introduce whatever follows.
  const Range& r = rs.front();
  std::size_t at = r.header + 1;
  for (std::size_t i = r.header + 1; i < r.end; ++i)
    if (classify(lines_[i].text).kind == Parsed::Key) at = i + 1;
  insert_line(at, std::move(text));
  return true;
}

bool IniFile::set_int(std::u16string_view section, std::u16string_view key, int32_t value) {
  return set_string(section, key, to_u16(value));
}

bool IniFile::erase_key(std::u16string_view section, std::u16string_view key) {
  std::optional<std::size_t> i = find_key_line(section, trim_blanks(key));
  if (!i) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*i));
  return true;
}

bool IniFile::erase_section(std::u16string_view section) {
  std::vector<Range> rs = sections(trim_blanks(section));
  for (auto it = rs.rbegin(); it != rs.rend(); ++it)
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(it->end));
  return !rs.empty();
}

std::vector<std::u16string> IniFile::section_names() const {
  std::vector<std::u16string> out;
  for (const Line& l : lines_) {
    Parsed p = classify(l.text);
    if (p.kind != Parsed::Section) continue;
    bool seen = false;
    for (const auto& n : out) seen = seen || iequals_ascii(n, p.name);
    if (!seen) out.emplace_back(p.name);
  }
  return out;
}

std::vector<std::u16string> IniFile::key_names(std::u16string_view section) const {
  std::vector<std::u16string> out;
  for (const Range& r : sections(section))
    for (std::size_t i = r.header + 1; i < r.end; ++i) {
      Parsed p = classify(lines_[i].text);
      if (p.kind != Parsed::Key) continue;
      bool seen = false;
      for (const auto& n : out) seen = seen || iequals_ascii(n, p.name);
      if (!seen) out.emplace_back(p.name);
    }
  return out;
}

int32_t get_private_profile_int(std::u16string_view section, std::u16string_view key, int32_t def,
                                const std::filesystem::path& file) {
  IniFile ini;
  ini.load(file);
  return ini.get_int(section, key, def);
}

std::u16string get_private_profile_string(std::u16string_view section, std::u16string_view key,
                                          std::u16string_view def, const std::filesystem::path& file) {
  IniFile ini;
  ini.load(file);
  return ini.get_string(section, key, def);
}

bool write_private_profile_string(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                                  const std::filesystem::path& file, mode_t mode_for_new, std::u16string* error) {
  IniFile ini;
  if (ini.load(file, error) == ReadStatus::Failed) return false;
  if (!ini.set_string(section, key, value)) {
    if (error) *error = u"cannot be stored in an INI file: [" + std::u16string(section) + u"] " + std::u16string(key);
    return false;
  }
  return ini.save(file, mode_for_new, error);
}

}  // namespace kestrel
