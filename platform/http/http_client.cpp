// HttpClient on libcurl's multi interface, driven by the Qt event loop of the calling thread:
// a QSocketNotifier per socket libcurl asks about and one single-shot timer for libcurl's
// time-outs, plus our own stall timer while a request is in flight. Nothing else is scheduled.
//
// No callback of the caller runs inside libcurl: libcurl's callbacks only record what happened
// and queue events, which a queued invocation delivers in order once libcurl has returned.
#include "platform/http/http_client.h"

#include <curl/curl.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <climits>
#include <deque>
#include <utility>

#include "platform/os/large_buffer.h"
#include "platform/os/text.h"

namespace slp {
namespace {

constexpr char kAcceptHeader[] = "Accept: text/html, */*";
constexpr char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
constexpr long kMaxRedirects = 15;
// Header lines of one transfer beyond this fail it: a reply is a few hundred bytes of them.
constexpr std::size_t kMaxHeaderBytes = 256 * 1024;

void InitCurlOnce() {
  static const CURLcode code = curl_global_init(CURL_GLOBAL_DEFAULT);
  (void)code;
}

using text::EqualsIgnoreAsciiCase;

// The value of header line `line` when its name is `name` (any case); nothing otherwise.
bool HeaderValue(std::string_view line, std::string_view name, std::string_view& value) {
  if (line.size() <= name.size() || line[name.size()] != ':' ||
      !EqualsIgnoreAsciiCase(line.substr(0, name.size()), name))
    return false;
  value = text::Trim(line.substr(name.size() + 1),
                     [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
  return true;
}

bool ContainsIgnoreCase(std::string_view text, std::string_view word) {
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at)
    if (EqualsIgnoreAsciiCase(text.substr(at, word.size()), word)) return true;
  return false;
}

// A GetAndWait in progress: what its loop waits for. On the heap so that neither a late reply
// nor a client destroyed during the wait touches a dead stack frame.
struct WaitState {
  HttpReply reply;
  bool finished = false;
  bool abandoned = false;  // the request was cancelled or the client destroyed
  QEventLoop* loop = nullptr;
};

}  // namespace

class HttpClient::Impl : public QObject {
 public:
  Impl(HttpClient& owner, HttpSettings settings);
  ~Impl() override;

  bool Get(const std::string& url, std::function<void(HttpReply)> done);
  void Cancel();
  bool InFlight() const { return inFlight_; }
  bool Scheduled() const {
    return curlTimer_.isActive() || stallTimer_.isActive() || !watches_.empty() || deliverPosted_;
  }
  void WatchWait(const std::shared_ptr<WaitState>& wait) { wait_ = wait; }

 private:
  enum class EventKind { Begin, Work, End, Done };
  struct Event {
    Event(EventKind k, std::uint64_t r, std::int64_t c = 0, HttpReply rep = {})
        : kind(k), request(r), count(c), reply(std::move(rep)) {}
    EventKind kind;
    std::uint64_t request;
    std::int64_t count;
    HttpReply reply;
  };
  // Both directions of one socket libcurl asked about.
  struct SocketWatch {
    QSocketNotifier read;
    QSocketNotifier write;
    explicit SocketWatch(curl_socket_t s)
        : read(s, QSocketNotifier::Read), write(s, QSocketNotifier::Write) {}
  };

  // libcurl's callbacks: they record and queue, nothing more.
  static int OnSocket(CURL* easy, curl_socket_t s, int what, void* self, void* watch);
  static int OnTimer(CURLM* multi, long timeoutMs, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);

  void Watch(curl_socket_t s, int what, SocketWatch* watch);
  void Unwatch(curl_socket_t s, SocketWatch* watch);
  void Act(curl_socket_t s, int mask);
  void Finish(CURLcode code);
  void Fail(std::string why);
  void Detach();
  void CheckStall();
  void Queue(Event event);
  void Deliver();
  void AbandonWait();

  HttpClient& owner_;
  const HttpSettings settings_;
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headers_ = nullptr;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  QTimer curlTimer_;
  QTimer stallTimer_;
  QElapsedTimer sinceLastByte_;
  std::vector<std::unique_ptr<SocketWatch>> watches_;
  // Watches libcurl is done with; one of them may be the notifier whose signal runs now, so
  // they are freed at the next entry from the event loop.
  std::vector<std::unique_ptr<SocketWatch>> retired_;

  // The request in flight.
  bool inFlight_ = false;
  bool attached_ = false;  // the easy handle is in the multi handle
  std::uint64_t request_ = 0;
  std::function<void(HttpReply)> done_;
  std::weak_ptr<WaitState> wait_;
  std::string body_;
  std::string contentType_;
  std::int64_t contentLength_ = -1;
  bool chunked_ = false;
  bool hasLocation_ = false;
  bool begun_ = false;  // the final reply's headers are complete
  std::size_t headerBytes_ = 0;
  std::string failure_;  // our own reason to stop the transfer

  // Events waiting for delivery, in order; the request whose callback runs now (0: none).
  std::deque<Event> queue_;
  bool deliverPosted_ = false;
  std::uint64_t delivering_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

HttpClient::Impl::Impl(HttpClient& owner, HttpSettings settings)
    : owner_(owner), settings_(settings) {
  InitCurlOnce();
  curlTimer_.setSingleShot(true);
  connect(&curlTimer_, &QTimer::timeout, this, [this] { Act(CURL_SOCKET_TIMEOUT, 0); });
  stallTimer_.setSingleShot(true);
  connect(&stallTimer_, &QTimer::timeout, this, [this] { CheckStall(); });

  multi_ = curl_multi_init();
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &Impl::OnSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &Impl::OnTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);

  // One easy handle for the client's life: its cookie store lives as long.
  easy_ = curl_easy_init();
  headers_ = curl_slist_append(nullptr, kAcceptHeader);
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy_, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
  curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");  // cookies in memory only
  curl_easy_setopt(easy_, CURLOPT_PROXY, "");       // whatever the environment names
  curl_easy_setopt(easy_, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, settings_.followRedirects ? 1L : 0L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.connectTimeoutMs));
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  // Large reads: one turn of the event loop per half megabyte on a fast link, not per 16 KiB.
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, 512L * 1024);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
#if LIBCURL_VERSION_NUM >= 0x075700
  // A name still being resolved when the client goes is left to its thread, not waited for.
  curl_easy_setopt(easy_, CURLOPT_QUICK_EXIT, 1L);
#endif
}

HttpClient::Impl::~Impl() {
  alive_.reset();
  AbandonWait();
  queue_.clear();
  if (attached_) curl_multi_remove_handle(multi_, easy_);
  attached_ = false;
  curl_easy_cleanup(easy_);
  curl_multi_cleanup(multi_);
  curl_slist_free_all(headers_);
}

bool HttpClient::Impl::Get(const std::string& url, std::function<void(HttpReply)> done) {
  if (inFlight_) return false;
  inFlight_ = true;
  ++request_;
  done_ = std::move(done);
  body_.clear();
  contentType_.clear();
  contentLength_ = -1;
  chunked_ = hasLocation_ = begun_ = false;
  headerBytes_ = 0;
  failure_.clear();
  errorBuffer_[0] = '\0';
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  sinceLastByte_.start();
  if (settings_.stallTimeoutMs > 0) stallTimer_.start(settings_.stallTimeoutMs);
  const CURLMcode added = curl_multi_add_handle(multi_, easy_);
  if (added != CURLM_OK) {
    stallTimer_.stop();
    HttpReply failed;
    failed.error = curl_multi_strerror(added);
    Queue({EventKind::Done, request_, 0, std::move(failed)});
    return true;
  }
  attached_ = true;
  return true;
}

void HttpClient::Impl::Cancel() {
  if (!inFlight_) return;
  Detach();
  inFlight_ = false;
  done_ = nullptr;
  queue_.clear();
  AbandonWait();
}

void HttpClient::Impl::AbandonWait() {
  if (auto wait = wait_.lock()) {
    wait->abandoned = true;
    if (wait->loop) wait->loop->quit();
  }
  wait_.reset();
}

// --- libcurl's callbacks ------------------------------------------------------------------

int HttpClient::Impl::OnSocket(CURL*, curl_socket_t s, int what, void* self, void* watch) {
  auto* impl = static_cast<Impl*>(self);
  auto* w = static_cast<SocketWatch*>(watch);
  if (what == CURL_POLL_REMOVE)
    impl->Unwatch(s, w);
  else
    impl->Watch(s, what, w);
  return 0;
}

int HttpClient::Impl::OnTimer(CURLM*, long timeoutMs, void* self) {
  auto* impl = static_cast<Impl*>(self);
  if (timeoutMs < 0)
    impl->curlTimer_.stop();
  else
    impl->curlTimer_.start(static_cast<int>(std::min<long>(timeoutMs, INT_MAX)));
  return 0;
}

std::size_t HttpClient::Impl::OnHeader(char* data, std::size_t size, std::size_t count,
                                       void* self) {
  auto* impl = static_cast<Impl*>(self);
  const std::size_t n = size * count;
  impl->sinceLastByte_.restart();
  impl->headerBytes_ += n;
  if (impl->headerBytes_ > kMaxHeaderBytes) {
    impl->failure_ = "reply headers longer than " + std::to_string(kMaxHeaderBytes) + " bytes";
    return 0;
  }
  const std::string_view line(data, n);
  std::string_view value;
  if (line.rfind("HTTP/", 0) == 0) {
    // A new reply (after an interim one or a redirect): its own headers count.
    impl->contentType_.clear();
    impl->contentLength_ = -1;
    impl->chunked_ = impl->hasLocation_ = false;
  } else if (line == "\r\n" || line == "\n") {
    long status = 0;
    curl_easy_getinfo(impl->easy_, CURLINFO_RESPONSE_CODE, &status);
    const bool interim = status >= 100 && status < 200;
    const bool followed =
        impl->settings_.followRedirects && status >= 300 && status < 400 && impl->hasLocation_;
    if (!interim && !followed && !impl->begun_) {
      impl->begun_ = true;
      // An announced body is received into room made for it at once: never held twice.
      if (!impl->chunked_ && impl->contentLength_ > 0) {
        const auto length = static_cast<std::size_t>(impl->contentLength_);
        const std::size_t cap = impl->settings_.maxBodyBytes;
        ReserveBuffer(impl->body_, cap != 0 ? std::min(length, cap) : length);
      }
      impl->Queue({EventKind::Begin, impl->request_, impl->chunked_ ? -1 : impl->contentLength_});
    }
  } else if (HeaderValue(line, "content-type", value)) {
    impl->contentType_ = std::string(value);
  } else if (HeaderValue(line, "content-length", value)) {
    std::int64_t length = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    impl->contentLength_ =
        (error == std::errc() && end == value.data() + value.size() && length >= 0) ? length : -1;
  } else if (HeaderValue(line, "transfer-encoding", value)) {
    impl->chunked_ = ContainsIgnoreCase(value, "chunked");
  } else if (HeaderValue(line, "location", value)) {
    impl->hasLocation_ = true;
  }
  return n;
}

std::size_t HttpClient::Impl::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* impl = static_cast<Impl*>(self);
  const std::size_t n = size * count;
  impl->sinceLastByte_.restart();
  if (!impl->begun_) return n;  // the body of a reply that is not the final one
  const std::size_t cap = impl->settings_.maxBodyBytes;
  if (cap != 0 && n > cap - std::min(cap, impl->body_.size())) {
    impl->failure_ = "reply body longer than " + std::to_string(cap) + " bytes";
    return 0;
  }
  impl->body_.append(data, n);
  // Counts not yet delivered are replaced by the newer one.
  if (!impl->queue_.empty() && impl->queue_.back().kind == EventKind::Work &&
      impl->queue_.back().request == impl->request_)
    impl->queue_.back().count = static_cast<std::int64_t>(impl->body_.size());
  else
    impl->Queue({EventKind::Work, impl->request_, static_cast<std::int64_t>(impl->body_.size())});
  return n;
}

// --- Sockets, timers and the end of a transfer -----------------------------------------------

void HttpClient::Impl::Watch(curl_socket_t s, int what, SocketWatch* watch) {
  if (watch == nullptr) {
    watch = watches_.emplace_back(std::make_unique<SocketWatch>(s)).get();
    connect(&watch->read, &QSocketNotifier::activated, this,
            [this, s] { Act(s, CURL_CSELECT_IN); });
    connect(&watch->write, &QSocketNotifier::activated, this,
            [this, s] { Act(s, CURL_CSELECT_OUT); });
    curl_multi_assign(multi_, s, watch);
  }
  watch->read.setEnabled((what & CURL_POLL_IN) != 0);
  watch->write.setEnabled((what & CURL_POLL_OUT) != 0);
}

void HttpClient::Impl::Unwatch(curl_socket_t s, SocketWatch* watch) {
  if (watch == nullptr) return;
  curl_multi_assign(multi_, s, nullptr);
  const auto it = std::find_if(watches_.begin(), watches_.end(),
                               [watch](const auto& w) { return w.get() == watch; });
  if (it == watches_.end()) return;
  watch->read.setEnabled(false);
  watch->write.setEnabled(false);
  QObject::disconnect(&watch->read, nullptr, this, nullptr);
  QObject::disconnect(&watch->write, nullptr, this, nullptr);
  retired_.push_back(std::move(*it));
  watches_.erase(it);
}

void HttpClient::Impl::Act(curl_socket_t s, int mask) {
  // Whatever signal runs now comes from a watch still in use, never from a retired one.
  retired_.clear();
  int running = 0;
  curl_multi_socket_action(multi_, s, mask, &running);
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
      const CURLcode code = message->data.result;
      Finish(code);
      break;
    }
  }
}

void HttpClient::Impl::Detach() {
  stallTimer_.stop();
  if (!attached_) return;
  attached_ = false;
  curl_multi_remove_handle(multi_, easy_);
}

void HttpClient::Impl::Finish(CURLcode code) {
  HttpReply reply;
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &reply.status);
  reply.contentType = contentType_;
  if (!failure_.empty())
    reply.error = failure_;
  else if (code != CURLE_OK)
    reply.error = std::string(curl_easy_strerror(code)) +
                  (errorBuffer_[0] != '\0' ? std::string(": ") + errorBuffer_ : std::string());
  else if (reply.status < 200 || reply.status > 299)
    reply.error = "HTTP status " + std::to_string(reply.status);
  reply.ok = reply.error.empty();
  reply.body = std::move(body_);
  body_.clear();
  Detach();
  if (begun_) Queue({EventKind::End, request_});
  Queue({EventKind::Done, request_, 0, std::move(reply)});
}

void HttpClient::Impl::Fail(std::string why) {
  failure_ = std::move(why);
  Finish(CURLE_OK);
}

void HttpClient::Impl::CheckStall() {
  if (!attached_) return;
  const qint64 quiet = sinceLastByte_.elapsed();
  if (quiet >= settings_.stallTimeoutMs) {
    Fail("no data for " + std::to_string(settings_.stallTimeoutMs) + " ms");
    return;
  }
  stallTimer_.start(static_cast<int>(settings_.stallTimeoutMs - quiet));
}

// --- Delivery -------------------------------------------------------------------------------

void HttpClient::Impl::Queue(Event event) {
  queue_.push_back(std::move(event));
  if (deliverPosted_) return;
  deliverPosted_ = true;
  QMetaObject::invokeMethod(
      this, [this] { Deliver(); }, Qt::QueuedConnection);
}

void HttpClient::Impl::Deliver() {
  deliverPosted_ = false;
  retired_.clear();
  const std::weak_ptr<bool> alive = alive_;
  // A callback of a request that pumps events sees no further event of that request inside
  // it: the delivery below it goes on once it returns. A request started inside a callback
  // (a new GET from `done`) is delivered here.
  while (!queue_.empty() && queue_.front().request != delivering_) {
    Event event = std::move(queue_.front());
    queue_.pop_front();
    const std::uint64_t outer = delivering_;
    delivering_ = event.request;
    switch (event.kind) {
      case EventKind::Begin:
        if (auto f = owner_.OnWorkBegin) f(event.count);
        break;
      case EventKind::Work:
        if (auto f = owner_.OnWork) f(event.count);
        break;
      case EventKind::End:
        if (auto f = owner_.OnWorkEnd) f();
        break;
      case EventKind::Done: {
        auto f = std::move(done_);
        done_ = nullptr;
        inFlight_ = false;
        wait_.reset();
        if (f) f(std::move(event.reply));
        break;
      }
    }
    if (alive.expired()) return;  // the client went inside the callback
    delivering_ = outer;
  }
}

// --- The client -------------------------------------------------------------------------------

HttpClient::HttpClient(HttpSettings settings) : impl_(std::make_unique<Impl>(*this, settings)) {}

HttpClient::~HttpClient() = default;

bool HttpClient::Get(const std::string& url, std::function<void(HttpReply)> done) {
  return impl_->Get(url, std::move(done));
}

bool HttpClient::InFlight() const { return impl_->InFlight(); }

bool HttpClient::Scheduled() const { return impl_->Scheduled(); }

void HttpClient::Cancel() { impl_->Cancel(); }

HttpReply HttpClient::GetAndWait(const std::string& url) {
  auto wait = std::make_shared<WaitState>();
  const bool started = Get(url, [wait](HttpReply reply) {
    wait->reply = std::move(reply);
    wait->finished = true;
    if (wait->loop) wait->loop->quit();
  });
  if (!started) {
    HttpReply busy;
    busy.error = "another request of this client is in flight";
    return busy;
  }
  impl_->WatchWait(wait);
  QEventLoop loop;
  wait->loop = &loop;
  loop.exec();
  wait->loop = nullptr;
  if (wait->finished) return std::move(wait->reply);
  HttpReply cut;
  if (wait->abandoned) {
    cut.error = "the request was cancelled";  // the client may be gone: not touched again
  } else {
    cut.error = "the wait was ended before the reply came";  // the application is quitting
    impl_->Cancel();
  }
  return cut;
}

}  // namespace slp
