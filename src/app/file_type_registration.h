// The query definition file type (.kst) for the current user: a MIME type
// and a desktop entry under $XDG_DATA_HOME (default ~/.local/share). Only
// the options sheet's check box changes them, never anything else.
#pragma once

#include <filesystem>
#include <string>

namespace kestrel {

inline constexpr char kKstMimeType[] = "application/x-kestrel-query";

struct FileTypeFiles {
  std::filesystem::path mime_xml;  // <data>/mime/packages/kestrel-mime.xml
  std::filesystem::path desktop;   // <data>/applications/kestrel.desktop
};

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share.
std::filesystem::path user_data_home();
FileTypeFiles file_type_files();

// Both files are there and the desktop entry opens .kst files.
bool file_type_registered();
// Writes both files (the desktop entry starts `program`) and refreshes the
// user's MIME and desktop databases when their tools are installed. False
// with `error` set when a file could not be written.
bool register_file_type(const std::filesystem::path& program, std::u16string* error);
// Removes both files. False with `error` set when one could not be removed.
bool unregister_file_type(std::u16string* error);

}  // namespace kestrel
