// The one SQL tokenizer of the process: the start-up worker loads the keyword
// file into it, the completion loader publishes the session's words into it,
// and every editor colours and completes with it.
#pragma once

#include <filesystem>
#include <string>

class CSQLStrToken;

namespace kestrel {

CSQLStrToken& shared_sql_tokenizer();

// Loads "<program folder>/data/keywords.txt" into the shared tokenizer.
// False with the reason in `error` (the default keywords stay as they were).
bool load_keyword_file(const std::filesystem::path& program_folder, std::u16string* error);

}  // namespace kestrel
