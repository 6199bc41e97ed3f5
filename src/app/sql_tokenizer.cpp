#include "app/sql_tokenizer.h"

#include "sqltext/sql_str_token.h"

namespace kestrel {

CSQLStrToken& shared_sql_tokenizer() {
  static CSQLStrToken tokenizer;
  return tokenizer;
}

bool load_keyword_file(const std::filesystem::path& program_folder, std::u16string* error) {
  return shared_sql_tokenizer().InitDefaultKeyword(program_folder / "data" / "keywords.txt", error) == 0;
}

}  // namespace kestrel
