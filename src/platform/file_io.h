// Whole-file reads and crash-safe whole-file writes.
//
// write_file_atomic writes a temporary file beside the target, flushes it to
// disk and renames it over the target, so a crash at any moment leaves either
// the old file or the new one, never a mix. A symbolic link is followed: the
// file it points at is replaced and the link stays.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace kestrel {

inline constexpr std::size_t kDefaultMaxFileBytes = 64u * 1024 * 1024;

enum class ReadStatus { Ok, Missing, Failed };

// Reads the whole file. Missing: the file does not exist. Failed: it exists
// but is a folder, unreadable or larger than `max_bytes`; `error` says why.
ReadStatus read_file_bytes(const std::filesystem::path& file, std::string& out, std::u16string* error = nullptr,
                           std::size_t max_bytes = kDefaultMaxFileBytes);

// Replaces the file's content atomically. A new file gets `mode_for_new`; an
// existing one keeps its permission bits. False with `error` set on failure,
// the old content untouched.
bool write_file_atomic(const std::filesystem::path& file, std::string_view bytes, mode_t mode_for_new,
                       std::u16string* error = nullptr);

// Test seam: called with the temporary file's path after it has been written
// and flushed, just before the rename. Tests use it to simulate a crash.
using AtomicWriteHook = void (*)(const std::filesystem::path& temp_file);
AtomicWriteHook set_atomic_write_hook(AtomicWriteHook hook);

// Creates the folder and any missing parents, each new one with `mode`.
bool create_folders(const std::filesystem::path& folder, mode_t mode, std::u16string* error = nullptr);

}  // namespace kestrel
