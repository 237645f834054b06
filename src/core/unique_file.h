#pragma once
// Owner of a C stream: every file the launcher writes is opened, written and closed in one operation.
#include <cstdio>
#include <memory>

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;
