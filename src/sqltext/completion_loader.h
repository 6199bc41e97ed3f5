// The completion loader: after a login it opens a second session of the
// same user on a thread of its own, builds the completion list from the
// user's objects and columns, publishes it as the tokenizer's active list,
// closes that session and ends. Disconnect and exit stop it (a stop flag
// checked at every row, and a cancel that breaks a query still running)
// and wait for it.
//
//   CompletionLoader loader(shared_sql_tokenizer());
//   if (!loader.Start({user, password, tns, mode, current_user, comments}))
//     show "スレッド作成エラー";
//   ...
//   loader.Stop();   // before logging the main session out
//
// Editors read the words through Words() (or the tokenizer's
// ActiveKeywords()), which keeps the list alive while they use it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sqltext/keyword_table.h"

class CSQLStrToken;

namespace kestrel {

struct CompletionLoginParams {
  std::u16string user;      // the current connection's user, password and
  std::u16string password;  // connect string (TNS name, folder, alias)
  std::u16string connect;
  uint32_t login_mode = 1;  // 1 NORMAL, 2 SYSDBA, 4 SYSOPER
  // Whose objects and columns are read; empty: the second session's user
  // as the server names it.
  std::u16string owner;
  // Objects carry their table comment as the description.
  bool object_comments = false;
  std::u16string log_path;  // error log of the second session; empty: none
};

class CompletionLoader {
 public:
  enum class State {
    kIdle,     // never started
    kRunning,  // the thread is working
    kDone,     // the list is published; message "%d words"
    kFailed,   // login or a query failed; message its error (default keywords active)
    kStopped,  // stopped before the end (default keywords active)
  };
  struct Status {
    State state = State::kIdle;
    std::u16string message;
  };

  explicit CompletionLoader(CSQLStrToken& tokenizer);
  // Stops and waits, so no thread outlives the loader.
  ~CompletionLoader();
  CompletionLoader(const CompletionLoader&) = delete;
  CompletionLoader& operator=(const CompletionLoader&) = delete;

  // Stops a load still running, then starts a new one. False when the
  // thread cannot be created (nothing runs then).
  bool Start(CompletionLoginParams params);
  // Sets the stop flag, breaks the query in progress and waits for the
  // thread without limit. Does nothing when no thread exists; safe to call
  // again. Call from the thread that started the loader.
  void Stop();

  // True while a thread exists that has not been stopped or joined.
  bool Running() const;
  Status GetStatus() const;
  // Waits until the current load has ended (not joined: Stop() does that).
  // True when it ended within `timeout`.
  bool WaitFinished(std::chrono::milliseconds timeout) const;
  // Dictionary rows read by the current (or last) load.
  int64_t RowsRead() const { return rows_read_.load(std::memory_order_relaxed); }

  // The list editors complete from: the completion list once published,
  // the default keywords before. Safe from any thread; the returned table
  // stays valid while held, whatever the loader publishes meanwhile.
  std::shared_ptr<const KeywordTable> Words() const;

 private:
  void Run(const CompletionLoginParams& params);
  void Finish(State state, std::u16string message);

  CSQLStrToken& tokenizer_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int32_t> cancel_{0};  // the Oracle layer's cancel state
  std::atomic<int64_t> rows_read_{0};
  mutable std::mutex mutex_;  // guards status_
  mutable std::condition_variable finished_;
  Status status_;
};

}  // namespace kestrel
