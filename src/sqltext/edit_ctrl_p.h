// Helpers shared by the editor control's source files.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QMimeData;

namespace kestrel {

// Width of the selection margin in pixels.
inline constexpr int kSelMarginWidth = 16;

QString ToQString(std::u16string_view s);
std::u16string FromQString(const QString& s);
// True when `mime` carries the box flag "TRUE".
bool IsBoxMime(const QMimeData* mime);
// Text plus the box flag, for the clipboard and for drags.
QMimeData* MakeMime(std::u16string_view text, bool box);
// What Ctrl+click on column `col` of the marked word `word` opens: only the
// URL or e-mail piece holding `col`, as an absolute http, https, ftp or
// mailto URL ("www." gets "http://"); empty for nothing.
std::u16string LinkToOpen(std::u16string_view word, std::size_t col);

}  // namespace kestrel
