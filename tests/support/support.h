#pragma once
// Shared test fixtures.
#include <functional>
#include <string>
#include <vector>

namespace vntest {

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& relative) const { return path_ + "/" + relative; }
  // Writes a file (creating its folders) and returns its full path.
  std::string write(const std::string& relative, const std::string& contents) const;

 private:
  std::string path_;
};

// Points the settings store at a private file for the object's lifetime.
class ScopedRegistry {
 public:
  ScopedRegistry();
  ~ScopedRegistry();
  const std::string& storePath() const { return store_; }

 private:
  TempDir dir_;
  std::string store_;
  std::string previous_;
  bool hadPrevious_;
};

// Runs with the working directory set to a folder, restoring the old one afterwards.
class ScopedWorkingDir {
 public:
  explicit ScopedWorkingDir(const std::string& path);
  ~ScopedWorkingDir();

 private:
  std::string previous_;
};

// Collects trace lines while alive.
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  const std::vector<std::string>& lines() const { return lines_; }
  bool contains(const std::string& fragment) const;

 private:
  static void sink(const char* line, void* user);
  std::vector<std::string> lines_;
};

std::string readFile(const std::string& path);

// How many times the settings store file was replaced while `change` ran.
int countStoreWrites(const std::string& storePath, const std::function<void()>& change);

}  // namespace vntest
