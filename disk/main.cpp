// renovo-disk: makes update disks from a project file and checks disk sets.
//   renovo-disk make [--images] [--program FILE] [--one-folder DIR] [--sign PFX
//                    [--password-file FILE] [--timestamp URL]] PROJECT [OUTDIR]
//   renovo-disk check [--capacity BYTES] DISK1 [DISK2 ...]
//   renovo-disk check --one-folder DIR
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "disk/platform.h"

namespace {

constexpr const char* kUsage =
    "usage: renovo-disk make [--images] [--program FILE] [--one-folder DIR]\n"
    "                        [--sign PFX [--password-file FILE] [--timestamp URL]] PROJECT [OUTDIR]\n"
    "       renovo-disk check [--capacity BYTES] DISK1 [DISK2 ...]\n"
    "       renovo-disk check --one-folder DIR\n";

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
    std::string oneFolder;
    disk::SigningKey signing;
    while (!args.empty() && args[0].rfind("--", 0) == 0) {
        std::string* value = args[0] == "--program"         ? &program
                             : args[0] == "--one-folder"    ? &oneFolder
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
    // Without OUTDIR only the one folder is made; --images needs the disks.
    bool disksToo = args.size() == 2;
    bool shape = disksToo || (args.size() == 1 && !oneFolder.empty());
    if (!shape || keyless || (images && !disksToo)) {
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
    bool ok = !disksToo || disk::MakeDisks(project, args[1], diags, disks);
    if (ok && !oneFolder.empty()) {
        ok = disk::MakeOneFolder(project, oneFolder, diags);
    }
    int rc = Report(diags);
    if (!ok) {
        return 1;
    }
    for (const std::string& d : disks) {
        std::printf("%s\n", d.c_str());
    }
    if (!oneFolder.empty()) {
        std::printf("%s\n", oneFolder.c_str());
    }
    if (images && !WriteImages(disks)) {
        return 1;
    }
    auto rule = disk::DetectionRuleFor(disks.empty() ? oneFolder : disks[0]);
    if (!rule) {
        std::fputs("renovo-disk: cannot read the manifest back for the detection rule\n", stderr);
        return 1;
    }
    std::fputs(disk::ForConsole(*rule).c_str(), stdout);
    return rc;
}

int Check(std::vector<std::string> args) {
    uint64_t capacity = disk::kFloppyCapacity;
    if (args.size() == 2 && args[0] == "--one-folder") {
        disk::Diagnostics diags;
        disk::CheckOneFolder(args[1], diags);
        int rc = Report(diags);
        if (rc == 0) {
            std::printf("one folder: no errors\n");
        }
        return rc;
    }
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
