// renovo-disk: makes update disks from a project file and checks disk sets.
//   renovo-disk make [--images] [--program FILE] [--sign PFX [--password-file FILE]
//                    [--timestamp URL]] PROJECT OUTDIR
//   renovo-disk check [--capacity BYTES] DISK1 [DISK2 ...]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "disk/platform.h"

namespace {

constexpr const char* kUsage =
    "usage: renovo-disk make [--images] [--program FILE]\n"
    "                        [--sign PFX [--password-file FILE] [--timestamp URL]] PROJECT OUTDIR\n"
    "       renovo-disk check [--capacity BYTES] DISK1 [DISK2 ...]\n";

int Report(const disk::Diagnostics& d) {
    std::fputs(disk::ForConsole(d.Format()).c_str(), stderr);
    return d.HasErrors() ? 1 : 0;
}

// 1.44 MB FAT12 images of the disks, with mtools.
bool WriteImages(const std::vector<std::string>& disks) {
#ifdef _WIN32
    (void)disks;
    std::fputs("renovo-disk: --images needs mtools on Linux\n", stderr);
    return false;
#else
    for (size_t i = 0; i < disks.size(); ++i) {
        std::string img = disks[i] + ".img";
        std::string cmd = "rm -f '" + img + "' && mformat -C -f 1440 -v DISK" +
                          std::to_string(i + 1) + " -i '" + img + "' :: && mcopy -m -i '" + img +
                          "' '" + disks[i] + "'/* ::/";
        if (std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "renovo-disk: cannot write %s (mtools)\n", img.c_str());
            return false;
        }
        std::printf("%s\n", img.c_str());
    }
    return true;
#endif
}

int Make(std::vector<std::string> args) {
    bool images = false;
    std::string program;
    disk::SigningKey signing;
    while (!args.empty() && args[0].rfind("--", 0) == 0) {
        std::string* value = args[0] == "--program"         ? &program
                             : args[0] == "--sign"          ? &signing.pfx
                             : args[0] == "--password-file" ? &signing.passwordFile
                             : args[0] == "--timestamp"     ? &signing.timestampUrl
                                                            : nullptr;
        if (args[0] == "--images") {
            images = true;
            args.erase(args.begin());
        } else if (value != nullptr && args.size() > 1) {
            *value = args[1];
            args.erase(args.begin(), args.begin() + 2);
        } else {
            break;
        }
    }
    bool keyless = signing.pfx.empty() && !(signing.passwordFile + signing.timestampUrl).empty();
    if (args.size() != 2 || keyless) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    disk::Project project;
    disk::Diagnostics diags;
    if (!disk::ParseProject(args[0], project, diags)) {
        return Report(diags);
    }
    if (!program.empty()) {
        project.program = program;
    }
    project.signing = signing;
    std::vector<std::string> disks;
    bool ok = disk::MakeDisks(project, args[1], diags, disks);
    int rc = Report(diags);
    if (!ok) {
        return 1;
    }
    for (const std::string& d : disks) {
        std::printf("%s\n", d.c_str());
    }
    return images && !WriteImages(disks) ? 1 : rc;
}

int Check(std::vector<std::string> args) {
    uint64_t capacity = disk::kFloppyCapacity;
    if (args.size() > 1 && args[0] == "--capacity") {
        capacity = std::strtoull(args[1].c_str(), nullptr, 10);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    disk::Diagnostics diags;
    disk::CheckDisks(args, capacity, diags);
    int rc = Report(diags);
    if (rc == 0) {
        std::printf("%zu disk(s): no errors\n", args.size());
    }
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || (args[0] != "make" && args[0] != "check")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string command = args[0];
    args.erase(args.begin());
    return command == "make" ? Make(args) : Check(args);
}
