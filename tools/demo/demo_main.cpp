// slp-demo: runs the local demo service until its lifetime ends.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/demo/demo_service.h"

int main(int argc, char** argv) {
  slp::demo::Options options;
  options.port = SLP_DEMO_PORT;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
      const size_t n = std::strlen(name);
      return a.compare(0, n, name) == 0 ? argv[i] + n : nullptr;
    };
    if (const char* v = value("--port="))
      options.port = std::atoi(v);
    else if (const char* v = value("--lang="))
      options.lang = v;
    else if (const char* v = value("--change-seconds="))
      options.change_seconds = std::atoi(v);
    else if (const char* v = value("--version-answer="))
      options.version_answer = v;
    else if (const char* v = value("--download-file="))
      options.download_file = v;
    else if (const char* v = value("--seconds="))
      options.lifetime_seconds = std::atoi(v);
    else if (const char* v = value("--heavy="))
      options.heavy_posts = std::atoi(v);
    else if (a == "--heavy")
      options.heavy_posts = slp::demo::kHeavyPosts;
    else if (a == "--signed-in")
      options.signed_in = true;
    else if (a == "--manual-sign-in")
      options.auto_sign_in = false;
    else {
      std::fprintf(stderr,
                   "usage: slp-demo [--port=N] [--lang=en|fr] [--change-seconds=N] "
                   "[--version-answer=TEXT] [--download-file=PATH] [--seconds=N] "
                   "[--signed-in] [--manual-sign-in] [--heavy[=POSTS]]\n"
                   "  --heavy: the stream page carries that many older posts with pictures "
                   "and a script (default %d)\n",
                   slp::demo::kHeavyPosts);
      return 2;
    }
  }
  slp::demo::Service service(options);
  if (service.Start() == 0) {
    std::fprintf(stderr, "slp-demo: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  std::printf("slp-demo: serving on %s for %d s\n", service.Origin().c_str(),
              options.lifetime_seconds);
  std::fflush(stdout);
  service.Wait();
  return 0;
}
