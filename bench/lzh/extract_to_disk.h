// Extraction of a whole archive into a folder with the standard library's file calls: each
// member under its bare name, as the archiver's `e` command does.
#pragma once

#include <string>

#include "lzh/lzh.h"

namespace bench {

struct ExtractResult {
    lzh::Status status = lzh::Status::kOk;
    std::string member;  // the member that failed
    int files = 0;
    unsigned long long bytes = 0;
};

ExtractResult ExtractArchive(const std::string& archive, const std::string& folder);

}  // namespace bench
