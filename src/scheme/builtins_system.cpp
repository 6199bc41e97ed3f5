// Built-ins that reach the operating system: time, file status, starting
// programs and the clipboard.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <thread>
#include <vector>

#include "platform/ui_services.h"
#include "platform/utf16.h"
#include "scheme/interp_p.h"

extern char** environ;

namespace kestrel::scheme {

namespace {

inline Cell* arg0(Interp& sc) { return car(sc.args); }
inline Cell* arg1(Interp& sc) { return cadr(sc.args); }

Cell* global_class(Interp& sc, std::u16string_view name) {
  Cell* v;
  if (!lookup(sc, sc.global_env, mk_symbol(sc, name), &v) || !is_type(v, T_CLASS)) return nullptr;
  return v;
}

Cell* make_object(Interp& sc, Cell* klass, const int64_t* values, std::size_t n) {
  Root rk(sc, klass);
  Cell* o = get_cell(sc, nullptr, nullptr);
  o->flag = 0;
  auto* d = static_cast<ObjectData*>(block_alloc(sc, sizeof(ObjectData) + n * sizeof(Cell*)));
  d->klass = klass;
  d->count = 0;
  o->flag = T_OBJECT | kAtomFlag;
  o->ptr = d;
  o->cdr = nullptr;
  Root ro(sc, o);
  for (std::size_t i = 0; i < n; ++i) {
    d->slots[i] = sc.UNDEF;
    d->count = static_cast<int64_t>(i + 1);
    d->slots[i] = mk_integer(sc, values[i]);
  }
  return o;
}

}  // namespace

bool op_sys_time(Interp& sc) { return s_return(sc, mk_integer(sc, static_cast<int64_t>(std::time(nullptr)))); }

bool op_sys_localtime(Interp& sc) {
  Cell* klass = global_class(sc, u"<sys-tm>");
  if (!klass) return s_error_msg(sc, u"class not found");
  auto t = static_cast<std::time_t>(arg0(sc)->ival);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return s_error(sc, u"sys-localtime: invalid time:", arg0(sc));
  const int64_t values[] = {tm.tm_sec, tm.tm_min, tm.tm_hour, tm.tm_mday, tm.tm_mon,
                            tm.tm_year, tm.tm_wday, tm.tm_yday, tm.tm_isdst};
  return s_return(sc, make_object(sc, klass, values, 9));
}

bool op_sys_strftime(Interp& sc) {
  Cell* klass = global_class(sc, u"<sys-tm>");
  if (!klass) return s_error_msg(sc, u"class not found");
  Cell* obj = arg1(sc);
  if (object_data(obj)->klass != klass) return s_error(sc, u"sys-strftime: <sys-tm> required:", obj);
  auto slot = [&](int i) -> int {
    Cell* v = i < object_data(obj)->count ? object_data(obj)->slots[i] : sc.UNDEF;
    return is_integer(v) ? static_cast<int>(v->ival) : 0;
  };
  std::tm tm{};
  tm.tm_sec = slot(0);
  tm.tm_min = slot(1);
  tm.tm_hour = slot(2);
  tm.tm_mday = slot(3);
  tm.tm_mon = slot(4);
  tm.tm_year = slot(5);
  tm.tm_wday = slot(6);
  tm.tm_yday = slot(7);
  tm.tm_isdst = slot(8);
  std::string fmt = utf16_to_utf8(string_view_of(arg0(sc)));
  std::u16string text;
  if (!fmt.empty()) {
    char buf[4096];
    std::size_t n = std::strftime(buf, sizeof buf, fmt.c_str(), &tm);
    text = utf8_to_utf16(std::string_view(buf, n));
    if (text.size() > kMessageBufferUnits) text.resize(safe_cut(text, kMessageBufferUnits));
  }
  return s_return(sc, mk_string(sc, text));
}

bool op_sys_stat(Interp& sc) {
  Cell* klass = global_class(sc, u"<sys-stat>");
  if (!klass) return s_error_msg(sc, u"class not found");
  struct stat st {};
  if (::stat(path_utf8(string_view_of(arg0(sc))).c_str(), &st) != 0) return s_error(sc, u"sys-stat: stat error:", arg0(sc));
  const int64_t values[] = {static_cast<int64_t>(st.st_size), static_cast<int64_t>(st.st_atime),
                            static_cast<int64_t>(st.st_mtime), static_cast<int64_t>(st.st_ctime)};
  return s_return(sc, make_object(sc, klass, values, 4));
}

bool op_file_existsp(Interp& sc) {
  struct stat st {};
  bool exists = ::stat(path_utf8(string_view_of(arg0(sc))).c_str(), &st) == 0;
  return s_return(sc, exists ? sc.T : sc.F);
}

// Splits a command line as a POSIX shell splits words: blanks separate,
// single quotes keep everything, double quotes keep everything except
// that a backslash escapes a double quote, backslash, dollar or backquote,
// and a backslash outside quotes takes the next character as it is.
// Nothing is expanded.
std::vector<std::string> split_command_line(std::u16string_view line) {
  std::vector<std::string> words;
  std::u16string word;
  bool in_word = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char16_t c = line[i];
    if (c == u' ' || c == u'\t' || c == u'\n') {
      if (in_word) words.push_back(utf16_to_utf8(word));
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == u'\'') {
      for (++i; i < line.size() && line[i] != u'\''; ++i) word.push_back(line[i]);
    } else if (c == u'"') {
      for (++i; i < line.size() && line[i] != u'"'; ++i) {
        if (line[i] == u'\\' && i + 1 < line.size() &&
            (line[i + 1] == u'"' || line[i + 1] == u'\\' || line[i + 1] == u'$' || line[i + 1] == u'`'))
          ++i;
        word.push_back(line[i]);
      }
    } else if (c == u'\\' && i + 1 < line.size()) {
      word.push_back(line[++i]);
    } else {
      word.push_back(c);
    }
  }
  if (in_word) words.push_back(utf16_to_utf8(word));
  return words;
}

bool op_win_exec(Interp& sc) {
  std::u16string line;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) {
    if (!line.empty() || a != sc.args) line += u" ";
    line += string_view_of(car(a));
  }
  std::size_t chars = 0;
  for (std::size_t i = 0; i < line.size(); ++chars) {
    std::size_t len;
    code_point_at(line, i, &len);
    i += len;
  }
  if (chars > kMaxCommandLine) return s_error_msg(sc, u"command is too long");
  std::vector<std::string> words = split_command_line(line);
  if (words.empty()) return s_error_msg(sc, u"win-exec: can not execute");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return s_error_msg(sc, u"win-exec: can not execute");
  // The program runs on its own; a detached waiter reaps it when it ends.
  std::thread([pid] {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return s_return(sc, sc.T);
}

bool op_win_get_clipboard_text(Interp& sc) {
  std::u16string text;
  if (!ui().clipboard_text(text)) return s_return(sc, sc.F);
  return s_return(sc, mk_string(sc, text));
}

}  // namespace kestrel::scheme
