#pragma once
// An UpdateHost that plays a script: the downloads it returns and the answers it gives, and
// a record of everything the run asked of it.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "updater/core/update_run.h"

namespace slp::renewer::testing {

class ScriptedHost : public UpdateHost {
 public:
  // Script. A download or an answer that runs out reads as a failed download or Abort.
  std::deque<Download> downloads;
  std::deque<bool> retryDownload;
  std::deque<bool> retryInUse;
  std::function<void()> onAskInUse;  // runs before the in-use answer is given
  bool abandonAtDownload = false;    // the user closes the window during the download

  // Record.
  std::vector<std::string> errors;  // message, and "|" + detail when there is one
  std::vector<std::string> statuses;
  std::vector<std::string> urls;
  std::vector<std::string> inUseTargets;
  int downloadQuestions = 0;
  int relaunches = 0;

  void ShowError(const char* message, const std::optional<std::string>& detail) override {
    errors.push_back(std::string(message) + (detail ? "|" + *detail : ""));
  }
  Download DownloadFile(const std::string& url) override {
    urls.push_back(url);
    if (abandonAtDownload) abandoned_ = true;
    if (downloads.empty()) return {};
    Download d = std::move(downloads.front());
    downloads.pop_front();
    return d;
  }
  bool AskRetryDownload() override {
    ++downloadQuestions;
    return Next(retryDownload);
  }
  bool AskRetryInUse(const std::string& target) override {
    inUseTargets.push_back(target);
    if (onAskInUse) onAskInUse();
    return Next(retryInUse);
  }
  void SetStatus(const char* status) override { statuses.emplace_back(status); }
  void Relaunch() override { ++relaunches; }
  bool Abandoned() override { return abandoned_; }

  static Download Complete(std::string body) {
    Download d;
    d.ok = true;
    d.announced = static_cast<std::int64_t>(body.size());
    d.body = std::move(body);
    return d;
  }

 private:
  static bool Next(std::deque<bool>& answers) {
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool abandoned_ = false;
};

}  // namespace slp::renewer::testing
