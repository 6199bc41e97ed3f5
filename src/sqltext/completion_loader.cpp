#include "sqltext/completion_loader.h"

#include <system_error>
#include <utility>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "oci/oci_text.h"
#include "sqltext/oci_completion_dictionary.h"
#include "sqltext/sql_str_token.h"

namespace kestrel {

namespace {

constexpr std::size_t kMessageChars = 2048;
constexpr char16_t kCurrentUserSql[] = u"select user from dual \n";

// Logs the second session out however the load ends.
struct SessionCloser {
  OciSession* session = nullptr;
  ~SessionCloser() {
    if (session) oci_ora_logout(&session);
  }
};

}  // namespace

CompletionLoader::CompletionLoader(CSQLStrToken& tokenizer) : tokenizer_(tokenizer) {}

CompletionLoader::~CompletionLoader() { Stop(); }

bool CompletionLoader::Start(CompletionLoginParams params) {
  Stop();
  stop_.store(false);
  cancel_.store(kCancelRunning);
  rows_read_.store(0);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = Status{State::kRunning, {}};
  }
  try {
    thread_ = std::thread([this, p = std::move(params)] { Run(p); });
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = Status{State::kIdle, {}};
    return false;
  }
  return true;
}

void CompletionLoader::Stop() {
  if (!thread_.joinable()) return;
  stop_.store(true);
  cancel_.store(kCancelRequested);
  thread_.join();
}

bool CompletionLoader::Running() const { return thread_.joinable() && !stop_.load(); }

CompletionLoader::Status CompletionLoader::GetStatus() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

bool CompletionLoader::WaitFinished(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return finished_.wait_for(lock, timeout, [this] { return status_.state != State::kRunning; });
}

std::shared_ptr<const KeywordTable> CompletionLoader::Words() const { return tokenizer_.ActiveKeywords(); }

void CompletionLoader::Finish(State state, std::u16string message) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = Status{state, std::move(message)};
  }
  finished_.notify_all();
}

void CompletionLoader::Run(const CompletionLoginParams& params) {
  char16_t msg[kMessageChars] = {};
  SessionCloser closer;
  int rc = oci_login2(&closer.session, params.user, params.password, params.connect, params.log_path,
                      params.login_mode, OciMsgBuf(msg), nullptr);
  if (stop_.load()) return Finish(State::kStopped, {});
  if (rc != kOciOk) return Finish(State::kFailed, msg);

  std::u16string owner = params.owner;
  if (owner.empty()) {
    char16_t user[kColumnNameMax + 1] = {};
    if (oci_select_value(closer.session, kCurrentUserSql, user, sizeof user, OciMsgBuf(msg)) != kOciOk)
      return Finish(stop_.load() ? State::kStopped : State::kFailed, stop_.load() ? u"" : msg);
    owner = user;
  }

  OciCompletionDictionary dict(closer.session, &cancel_, &rows_read_);
  std::u16string result;
  rc = tokenizer_.InitKeywordForCompletion(dict, owner, params.object_comments, &stop_, &result);
  if (rc == 0) return Finish(State::kDone, std::move(result));
  Finish(stop_.load() ? State::kStopped : State::kFailed, stop_.load() ? std::u16string() : std::move(result));
}

}  // namespace kestrel
