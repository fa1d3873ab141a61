#pragma once
// Fixtures of the translation layer's tests: catalogs built byte by byte, executables with a
// locating record, programs run with a chosen environment, PO text read back.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_tables.h"
#include "locale/catalog_record.h"
#include "support/os_test_support.h"

extern char** environ;

namespace slp::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

inline Bytes ReadBytes(const std::string& path) { return ToBytes(ReadText(path)); }

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  WriteText(path, std::string(bytes.begin(), bytes.end()));
}

inline std::uint64_t Le64At(const Bytes& bytes, std::size_t at) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes.at(at + static_cast<std::size_t>(i));
  return v;
}

inline void PutLe64At(Bytes& bytes, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i, v >>= 8) bytes.at(at + static_cast<std::size_t>(i)) = v & 0xff;
}

inline const char kUtf8Header[] =
    "Project-Id-Version: Test\nContent-Type: text/plain; charset=UTF-8\n";

struct MoOptions {
  bool big_endian = false;
  bool sorted = true;  // identifiers in byte order, as msgfmt writes them
  std::uint32_t revision = 0;
  std::uint32_t hash_size = 0;  // words of (zero) hash table between the tables and strings
};

// An MO catalog of `entries` plus a header entry (none when `header` is null).
inline Bytes BuildMo(CatalogTable entries, const char* header = kUtf8Header,
                     MoOptions options = {}) {
  if (header != nullptr) entries.insert(entries.begin(), {"", header});
  if (options.sorted) std::stable_sort(entries.begin(), entries.end());
  const auto n = static_cast<std::uint32_t>(entries.size());
  const std::uint32_t originals = 28, translations = originals + 8 * n;
  const std::uint32_t hash = translations + 8 * n;
  Bytes out(hash + 4 * options.hash_size, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      const int shift = options.big_endian ? 24 - 8 * i : 8 * i;
      out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> shift);
    }
  };
  put32(0, 0x950412de);
  put32(4, options.revision);
  put32(8, n);
  put32(12, originals);
  put32(16, translations);
  put32(20, options.hash_size);
  put32(24, hash);
  auto add = [&](std::size_t table, std::uint32_t i, const std::string& s) {
    put32(table + 8 * i, static_cast<std::uint32_t>(s.size()));
    put32(table + 8 * i + 4, static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
  };
  for (std::uint32_t i = 0; i < n; ++i) add(originals, i, entries[i].first);
  for (std::uint32_t i = 0; i < n; ++i) add(translations, i, entries[i].second);
  return out;
}

// The bytes of a program: some code, the locating record (offset 0), some more data.
inline Bytes FakeExecutable(std::size_t before = 1000, std::size_t after = 700) {
  Bytes file;
  for (std::size_t i = 0; i < before; ++i) file.push_back(static_cast<std::uint8_t>(i * 7 + 1));
  const std::string signature = CatalogRecordSignature();
  file.insert(file.end(), signature.begin(), signature.end());
  file.resize(file.size() + 8, 0);
  for (std::size_t i = 0; i < after; ++i) file.push_back(static_cast<std::uint8_t>(i * 13 + 5));
  return file;
}

// Where the file's locating record is; npos when the signature is not there.
inline std::size_t RecordAt(const Bytes& file) {
  const std::string signature = CatalogRecordSignature();
  const auto found = std::search(file.begin(), file.end(), signature.begin(), signature.end());
  return found == file.end() ? std::string::npos : static_cast<std::size_t>(found - file.begin());
}

inline std::size_t CountSignatures(const Bytes& file) {
  const std::string signature = CatalogRecordSignature();
  std::size_t count = 0;
  for (auto it = file.begin();; ++it) {
    it = std::search(it, file.end(), signature.begin(), signature.end());
    if (it == file.end()) return count;
    ++count;
  }
}

struct Run {
  int status = -1;  // exit code; -1 when the program did not end normally
  std::string out;
  std::string err;
};

// Runs `program` with exactly the variables `env` and collects what it writes.
inline Run RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env) {
  TempFolder folder;
  const std::string out = folder / "out", err = folder / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text;
  for (const auto& [name, value] : env) env_text.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);
  Run run;
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program;
    return run;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = ReadText(out);
  run.err = ReadText(err);
  return run;
}

// The entries of PO text (msgid, msgstr), the header included, as msgunfmt writes them.
inline CatalogTable ParsePo(const std::string& text) {
  CatalogTable entries;
  std::string* target = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    start = end + 1;
    std::string_view quoted;
    if (line.starts_with("msgid ")) {
      entries.emplace_back();
      target = &entries.back().first;
      quoted = line.substr(6);
    } else if (line.starts_with("msgstr ")) {
      if (entries.empty()) break;
      target = &entries.back().second;
      quoted = line.substr(7);
    } else if (line.starts_with("\"") && target != nullptr) {
      quoted = line;
    } else {
      target = nullptr;
      continue;
    }
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') {
      ADD_FAILURE() << "unexpected PO line: " << line;
      continue;
    }
    quoted = quoted.substr(1, quoted.size() - 2);
    for (std::size_t i = 0; i < quoted.size(); ++i) {
      char c = quoted[i];
      if (c == '\\' && i + 1 < quoted.size()) {
        c = quoted[++i];
        c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
      }
      target->push_back(c);
    }
  }
  return entries;
}

}  // namespace slp::testing
