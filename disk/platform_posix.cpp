#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "disk/platform.h"
#include "lzh/encode.h"

namespace disk {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::unique_ptr<void, int (*)(iconv_t)> owner(cd, iconv_close);
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1)) {
        return std::nullopt;
    }
    out.resize(out.size() - room);
    return out;
}

}  // namespace

std::optional<std::vector<std::string>> ListFolder(const std::string& path) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), closedir);
    if (!dir) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (dirent* e = readdir(dir.get())) {
        std::string n = e->d_name;
        if (n != "." && n != "..") {
            names.push_back(n);
        }
    }
    return names;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<uint64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(st.st_size);
}

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || IsFolder(path); }

bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool FileTimes(const std::string& path, int64_t& unixTime, uint32_t& dosTime) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return false;
    }
    unixTime = st.st_mtime;
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    dosTime = lzh::DosTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
    return true;
}

std::optional<std::string> ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8); }

std::string ForConsole(const std::string& cp932) {
    return Convert("UTF-8", "CP932", cp932).value_or(cp932);
}

std::optional<std::string> ToPlatformPath(const std::string& utf8) { return utf8; }

std::string StoredName(const std::string& name) { return ToCp932(name).value_or(name); }

std::optional<int> RunTool(const std::vector<std::string>& argv, std::string& output) {
    std::string command = "exec";
    for (const std::string& a : argv) {
        std::string quoted = "'";
        for (char c : a) {
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        command += " " + quoted + "'";
    }
    command += " 2>&1 </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    output.clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        output.append(buf, n);
    }
    int status = pclose(pipe);
    // The shell's 127: the program is not there.
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127) {
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

std::optional<std::string> MakeTempFolder() {
    std::string path = "/tmp/renovo-disk.XXXXXX";
    if (mkdtemp(path.data()) == nullptr) {
        return std::nullopt;
    }
    return path;
}

}  // namespace disk
