// renovo-disk: a project becomes a disk set that checks clean; each kind of fault, made by hand
// in that set or in the project, is reported on the line it is on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#ifdef _WIN32
#include <direct.h>
#define rmdir _rmdir
#else
#include <unistd.h>
#endif

#include "disk/disk.h"
#include "disk/platform.h"
#include "receipt/identity.h"
#include "receipt/whole_set.h"

namespace {

void RemoveTree(const std::string& path) {
    for (const std::string& n : disk::ListFolder(path).value_or(std::vector<std::string>{})) {
        std::string p = path + "/" + n;
        disk::IsFolder(p) ? RemoveTree(p) : (void)std::remove(p.c_str());
    }
    rmdir(path.c_str());
}

void Write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

std::string Read(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A 2x1 24-bit bitmap.
std::string Bitmap() {
    const unsigned char b[] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0,
                               0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8,  0, 0, 0, 0, 0,
                               0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 1,  2, 3, 4, 5, 6,
                               0,   0};
    return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

const std::string kRoot = "disk_test_tmp";

// UTF-8 whatever the execution character set.
const std::string kProject = reinterpret_cast<const char*>(u8R"([product]
uninstall = TOVAKA Test
folder = C:\TOVAKA
version = 3
master_adjust = yes
settings = auto
digitizer = no
system = ﾃﾞﾓ
[pictures]
view = V.BMP
start = V.BMP
destination = V.BMP
confirm = V.BMP
[start notes]
一行目
二行目
[disk]
program = R.EXE
capacity = 40000
[files]
archive = START, SYSTEM\
variant = 1, data
file = M.DAT, 21\, M.DAT
new_disk = yes
archive = DATA2, DATA\, data
)");

class Disks : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(kRoot);
        disk::MakeFolder(kRoot);
        disk::MakeFolder(kRoot + "/data");
        Write(kRoot + "/V.BMP", Bitmap());
        Write(kRoot + "/R.EXE", "MZ program");
        Write(kRoot + "/M.DAT", "master");
        Write(kRoot + "/data/A.TXT", std::string(3000, 'a') + "text");
        Write(kRoot + "/data/B.TXT", "b");
    }
    void TearDown() override { RemoveTree(kRoot); }

    disk::Diagnostics Make(const std::string& project, std::vector<std::string>& disks) {
        Write(kRoot + "/p.ini", project);
        disk::Project p;
        disk::Diagnostics d;
        if (disk::ParseProject(kRoot + "/p.ini", p, d)) {
            disk::MakeDisks(p, kRoot + "/out", d, disks);
        }
        return d;
    }
    std::string Line(int n) {
        std::string info = Read(disks_[0] + "/info.txt");
        size_t at = 0;
        for (int i = 1; i < n; ++i) {
            at = info.find("\r\n", at) + 2;
        }
        return info.substr(at, info.find("\r\n", at) - at);
    }
    void SetLine(int n, const std::string& text) {
        std::string info = Read(disks_[0] + "/info.txt");
        size_t at = 0;
        for (int i = 1; i < n; ++i) {
            at = info.find("\r\n", at) + 2;
        }
        info.replace(at, info.find("\r\n", at) - at, text);
        Write(disks_[0] + "/info.txt", info);
    }
public:
    void SetLineFor(int n, const std::string& text) { SetLine(n, text); }

protected:
    std::vector<std::string> disks_;
};

TEST_F(Disks, ProjectMakesACleanSet) {
    disk::Diagnostics d = Make(kProject, disks_);
    ASSERT_FALSE(d.HasErrors()) << d.Format();
    ASSERT_EQ(disks_.size(), 2u);
    EXPECT_EQ(Line(1), "TOVAKA Test");
    EXPECT_EQ(Line(19), "NULL");
    EXPECT_EQ(Line(25), "\x88\xea\x8d\x73\x96\xda\t\t\x93\xf1\x8d\x73\x96\xda");  // cp932
    EXPECT_EQ(Line(42), "1,1,START,SYSTEM\\");
    EXPECT_EQ(Line(43), "1,2,M.DAT,21\\");
    EXPECT_EQ(Line(44), "2,1,DATA2,DATA\\");
    EXPECT_TRUE(disk::FileSize(disks_[0] + "/START1.lzh"));
    EXPECT_FALSE(disk::IsFolder(kRoot + "/out/.packed"));  // the work folder goes
}

struct Fault {
    const char* name;
    std::function<void(Disks&, std::vector<std::string>&)> breakIt;
    std::string where;  // "file:line" tail of the report
    std::string what;
};

class DiskFaults : public Disks, public ::testing::WithParamInterface<int> {};

void Flip(const std::string& path, size_t fromEnd) {
    std::string s = Read(path);
    s[s.size() - fromEnd] ^= 0x55;
    Write(path, s);
}

std::vector<Fault> Faults() {
    return {
        {"short", [](Disks& t, auto& d) {
             std::string s = Read(d[0] + "/info.txt");
             Write(d[0] + "/info.txt", s.substr(0, s.find("TOVAKA")) + "x\r\ny\r\n");
             (void)t;
         }, "info.txt:2", "ends after 2 lines"},
        {"flag", [](Disks& t, auto&) { t.SetLineFor(18, "yes"); }, "info.txt:18", "flag"},
        {"version", [](Disks& t, auto&) { t.SetLineFor(17, "3a"); }, "info.txt:17", "version"},
        {"settings", [](Disks& t, auto&) { t.SetLineFor(19, "a:b"); }, "info.txt:19", "settings"},
        {"no picture", [](Disks& t, auto&) { t.SetLineFor(22, "NONE.BMP"); }, "info.txt:22",
         "not on disk 1"},
        {"bad picture", [](Disks&, auto& d) { Write(d[0] + "/V.BMP", "BMxx"); }, "info.txt:21",
         "can draw"},
        {"scan", [](Disks& t, auto&) { t.SetLineFor(44, "2,1,DATA2"); }, "info.txt:44",
         "carried over"},
        {"long field", [](Disks& t, auto&) { t.SetLineFor(43, "1,2,M.DAT," + std::string(32, 'S')); },
         "info.txt:43", "over 31 bytes"},
        {"no disk", [](Disks& t, auto&) { t.SetLineFor(44, "3,1,DATA2,DATA\\"); }, "info.txt:44",
         "no such disk"},
        {"prompt", [](Disks&, auto& d) { std::remove((d[1] + "/DATA2.lzh").c_str()); },
         "info.txt:44", "looks for DATA2.lzh"},
        // The prompt looks for a plain file by its own name (M.DAT.lzh is no stand-in).
        {"plain file elsewhere", [](Disks& t, auto& d) {
             Write(d[1] + "/M.DAT.lzh", "not the entry's file");
             t.SetLineFor(43, "2,2,M.DAT,21\\");
         }, "info.txt:43", "looks for M.DAT, which that disk does not hold"},
        {"missing file", [](Disks&, auto& d) { std::remove((d[0] + "/M.DAT").c_str()); },
         "info.txt:43", "not on disk 1"},
        {"crc", [](Disks&, auto& d) { Flip(d[1] + "/DATA2.lzh", 3); }, "info.txt:44", "DATA2.lzh: "},
        {"start", [](Disks&, auto& d) { std::remove((d[0] + "/START1.lzh").c_str()); },
         "info.txt:42", "no variant"},
        {"capacity", [](Disks&, auto& d) { Write(d[1] + "/BIG", std::string(40000, 'x')); },
         "disk2", "over its capacity"},
        {"program", [](Disks&, auto& d) { std::remove((d[0] + "/RENOVO.EXE").c_str()); }, "disk1",
         "Renovo.exe is missing"},
        // A subfolder that leads out of the installation folder, by either separator.
        {"escaping subfolder", [](Disks& t, auto&) { t.SetLineFor(43, "1,2,M.DAT,..\\outside\\"); },
         "info.txt:43", "leaves the installation folder"},
        {"escaping subfolder slash", [](Disks& t, auto&) { t.SetLineFor(43, "1,2,M.DAT,21/../../x\\"); },
         "info.txt:43", "leaves the installation folder"},
        {"absolute subfolder", [](Disks& t, auto&) { t.SetLineFor(43, "1,2,M.DAT,C:\\x\\"); },
         "info.txt:43", "leaves the installation folder"},
        {"drive-relative subfolder", [](Disks& t, auto&) { t.SetLineFor(43, "1,2,M.DAT,C:x\\"); },
         "info.txt:43", "leaves the installation folder"},
        {"unc subfolder", [](Disks& t, auto&) { t.SetLineFor(43, "1,2,M.DAT,\\\\srv\\s\\"); },
         "info.txt:43", "leaves the installation folder"},
    };
}

TEST_P(DiskFaults, CheckReportsTheFaultWhereItIs) {
    const Fault f = Faults()[GetParam()];
    SCOPED_TRACE(f.name);
    ASSERT_FALSE(Make(kProject, disks_).HasErrors());
    f.breakIt(*this, disks_);
    disk::Diagnostics d;
    disk::CheckDisks(disks_, 40000, d);
    EXPECT_TRUE(d.HasErrors());
    const std::string report = d.Format();
    EXPECT_NE(report.find(f.where + ": "), std::string::npos) << report;
    EXPECT_NE(report.find(f.what), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DiskFaults, ::testing::Range(0, 21));

struct Refusal {
    std::string from;
    std::string to;
    std::string where;
    std::string what;
};

class ProjectRefusals : public Disks, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ProjectRefusals, NameTheProjectLine) {
    const Refusal r = GetParam();
    std::string project = kProject;
    project.replace(project.find(r.from), r.from.size(), r.to);
    if (r.to == "HUGE") {
        Write(kRoot + "/M.DAT", std::string(50000, 'm'));
        project.replace(project.find(r.to), r.to.size(), r.from);
    }
    std::string report = Make(project, disks_).Format();
    EXPECT_NE(report.find("p.ini:" + r.where + ": "), std::string::npos) << report;
    EXPECT_NE(report.find(r.what), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(
    Each, ProjectRefusals,
    ::testing::Values(Refusal{"DATA2, DATA", std::string(32, 'D') + ", DATA", "25", "at most 31"},
                      Refusal{"M.DAT, 21", "M:DAT, 21", "23", "may not hold"},
                      Refusal{"M.DAT, 21", "CON, 21", "23", "device name"},
                      Refusal{"M.DAT, 21", "M\xe2\x82\xac.DAT, 21", "23", "cannot hold"},
                      Refusal{"M.DAT, 21", "HUGE", "23", "more than a disk holds"},
                      Refusal{"view = V.BMP", "view = M.DAT", "10", "can draw"},
                      Refusal{"M.DAT, 21", "M.DAT, ..\\..\\WINDOWS", "23", "stay inside"},
                      Refusal{"M.DAT, 21", "M.DAT, 21/../../WINDOWS", "23", "stay inside"},
                      Refusal{"M.DAT, 21", "M.DAT, 21\\...\\x", "23", "stay inside"},
                      Refusal{"digitizer = no", "digitizer = maybe", "7", "yes or no"}));

TEST_F(Disks, MoreThanAHundredEntriesAreRefused) {
    std::string project = kProject;
    for (int i = 0; i < 98; ++i) {
        project += "file = M.DAT, 21\\, M.DAT\n";
    }
    std::string report = Make(project, disks_).Format();
    EXPECT_NE(report.find("p.ini:123: more than 100 entries"), std::string::npos) << report;
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names = disk::ListFolder(dir).value_or(std::vector<std::string>{});
    std::sort(names.begin(), names.end());
    return names;
}

// The same layout in one folder: every disk's files, the same manifest, so the same receipt.
TEST_F(Disks, OneFolderHoldsEveryDisksFilesAndTheSameManifest) {
    ASSERT_FALSE(Make(kProject, disks_).HasErrors());
    disk::Project p;
    disk::Diagnostics d;
    ASSERT_TRUE(disk::ParseProject(kRoot + "/p.ini", p, d));
    const std::string one = kRoot + "/one";
    ASSERT_TRUE(disk::MakeOneFolder(p, one, d)) << d.Format();
    std::vector<std::string> both = Names(disks_[0]);
    for (const std::string& n : Names(disks_[1])) {
        both.push_back(n);
    }
    std::sort(both.begin(), both.end());
    EXPECT_EQ(Names(one), both);
    EXPECT_EQ(Read(one + "/info.txt"), Read(disks_[0] + "/info.txt"));
    disk::Diagnostics check;
    disk::CheckOneFolder(one, check);
    EXPECT_FALSE(check.HasErrors()) << check.Format();

    auto rule = disk::DetectionRuleFor(one);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule, disk::DetectionRuleFor(disks_[0]));
    EXPECT_NE(rule->find("Updates\\TOVAKA Test\\" + receipt::UpdateIdOf(Read(one + "/info.txt")) +
                         "\n"),
              std::string::npos)
        << *rule;

    // What the run will decide on removable media, on the real layouts.
    const std::vector<receipt::SetEntry> entries = {{1, "START"}, {2, "M.DAT"}, {1, "DATA2"}};
    EXPECT_TRUE(receipt::HoldsWholeSet(entries, 1, Names(one)));
    EXPECT_FALSE(receipt::HoldsWholeSet(entries, 1, Names(disks_[0])));
}

TEST_F(Disks, OneFolderCheckFindsWhatIsMissingButNoCapacity) {
    struct Case {
        const char* name;
        const char* file;      // removed, or (when `grow`) made larger than the capacity
        bool grow;
        std::string what;      // empty: no error
    } cases[] = {
        {"an archive of disk 2", "DATA2.lzh", false, "info.txt:44: DATA2.lzh is not on disk 2"},
        {"a plain file", "M.DAT", false, "info.txt:43: M.DAT is not on disk 1"},
        {"the program", "RENOVO.EXE", false, "Renovo.exe is missing from disk 1"},
        {"no floppy's capacity", "EXTRA.BIN", true, ""},
    };
    ASSERT_FALSE(Make(kProject, disks_).HasErrors());
    disk::Project p;
    disk::Diagnostics made;
    ASSERT_TRUE(disk::ParseProject(kRoot + "/p.ini", p, made));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string one = kRoot + "/one";
        RemoveTree(one);
        ASSERT_TRUE(disk::MakeOneFolder(p, one, made)) << made.Format();
        if (c.grow) {
            Write(one + "/" + c.file, std::string(50000, 'x'));
        } else {
            std::remove((one + "/" + c.file).c_str());
        }
        disk::Diagnostics d;
        disk::CheckOneFolder(one, d);
        EXPECT_EQ(d.HasErrors(), !c.what.empty()) << d.Format();
        EXPECT_NE(d.Format().find(c.what), std::string::npos) << d.Format();
    }
}

// Floppies may hold one name on two disks; one folder cannot.
TEST_F(Disks, OneFolderRefusesNamesThatCollide) {
    std::string project = kProject;
    const std::string last = "archive = DATA2, DATA\\, data\n";
    project.replace(project.find(last), last.size(), "file = m.dat, 22\\, M.DAT\n");
    disk::Diagnostics floppies = Make(project, disks_);
    ASSERT_FALSE(floppies.HasErrors()) << floppies.Format();
    disk::Project p;
    disk::Diagnostics d;
    ASSERT_TRUE(disk::ParseProject(kRoot + "/p.ini", p, d));
    EXPECT_FALSE(disk::MakeOneFolder(p, kRoot + "/one", d));
    EXPECT_NE(d.Format().find("p.ini:25: m.dat on disk 2 has the name of a file on disk 1"),
              std::string::npos)
        << d.Format();
}

// Two archives of one name for two disks each keep their own members.
TEST_F(Disks, ArchivesOfOneNameOnTwoDisksKeepTheirOwnContent) {
    disk::MakeFolder(kRoot + "/other");
    Write(kRoot + "/other/C.TXT", "other content");
    std::string project = kProject;
    const std::string master = "file = M.DAT, 21\\, M.DAT\n";
    project.replace(project.find(master), master.size(), master + "archive = DATA2, OTHER\\, other\n");
    disk::Diagnostics d = Make(project, disks_);
    ASSERT_FALSE(d.HasErrors()) << d.Format();
    ASSERT_EQ(disks_.size(), 2u);
    EXPECT_NE(Read(disks_[0] + "/DATA2.lzh"), Read(disks_[1] + "/DATA2.lzh"));
    EXPECT_NE(Read(disks_[0] + "/DATA2.lzh").find("C.TXT"), std::string::npos);
    EXPECT_NE(Read(disks_[1] + "/DATA2.lzh").find("A.TXT"), std::string::npos);
}

}  // namespace
