// The single-document template: one document type, the query definition
// file (.kst). Its document string holds, separated by line feeds: window
// title, document name, file-new name, filter name, extension, registry file
// type id and its display name.
#pragma once

#include <string_view>

namespace kestrel::doc_template {
inline constexpr int kResourceId = 128;
inline constexpr std::u16string_view kDocString =
    u"Kestrel\n\nKestrel\nKST(*.kst)\n.kst\nKestrel.Document\nKestrel Document";
inline constexpr std::u16string_view kFilterName = u"KST(*.kst)";
inline constexpr std::u16string_view kExtension = u".kst";
inline constexpr std::u16string_view kFileTypeId = u"Kestrel.Document";
inline constexpr std::u16string_view kFileTypeName = u"Kestrel Document";
// The freedesktop MIME type that stands for the file type id on Linux
// (packaging/kestrel-mime.xml).
inline constexpr std::u16string_view kMimeType = u"application/x-kestrel-query";
}  // namespace kestrel::doc_template
