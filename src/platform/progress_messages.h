// Messages between a worker and the progress dialogs. The progress dialog's
// numbers are the ones the save sends (0x8401..0x8406, 0x8405 setting the
// bar's position); the query dialog's are the cursor layer's 0x8064..0x8067.
#pragma once

#include <cstdint>

namespace kestrel::progress {

// Query dialog (CCancelDlg).
inline constexpr uint32_t kQueryEnd = 0x8064;        // posted: wParam result code
inline constexpr uint32_t kQuerySetText = 0x8065;    // wParam 0/1 line, lParam text
inline constexpr uint32_t kQueryEnableCancel = 0x8066;  // wParam 0 disable, 1 enable
// posted: the rows so far, in lParam (the cursor layer puts them in wParam;
// the dialog takes either)
inline constexpr uint32_t kQueryRowsFetched = 0x8067;
// Not the dialog's own: passed on to its owner window, whose answer is the
// dialog's.
inline constexpr uint32_t kQueryForOwner = 1224;

// Progress dialog (CCommonCancelDlg).
inline constexpr uint32_t kEnd = 0x8401;          // posted: wParam result code
inline constexpr uint32_t kSetText = 0x8402;      // wParam 1/2 line, lParam text
inline constexpr uint32_t kCancelState = 0x8403;  // answers the cancel state
inline constexpr uint32_t kSetRange = 0x8404;     // wParam step, lParam upper bound
inline constexpr uint32_t kSetPos = 0x8405;       // wParam position
inline constexpr uint32_t kStep = 0x8406;         // one step
inline constexpr uint32_t kSetExtra = 0x8490;     // wParam the extra value

}  // namespace kestrel::progress
