// The DLL search after start-up: a DLL placed beside the program is no longer found by its
// name, while the system's own still are. Each case runs the probe (started as Renovo.exe
// starts) in a folder of its own, the planted DLL beside it or in its current folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kPlanted[] = "renovo_planted.dll";

std::string BuiltFile(const char* name) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

// The probe's exit code: 0 loaded, 1 not found, 2 narrowing went another way.
DWORD Probe(const std::string& program, const std::string& mode, const std::string& dll,
            const std::string& currentFolder) {
    std::string command = "\"" + program + "\" " + mode + " " + dll;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          currentFolder.c_str(), &si, &pi)) {
        return 99;
    }
    const framework::KernelObject process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 98;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

class DllSearch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryA(programFolder_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(currentFolder_.c_str(), nullptr));
        ASSERT_TRUE(::CopyFileA(BuiltFile("renovo_dll_probe.exe").c_str(), probe_.c_str(), FALSE));
    }
    void Plant(const std::string& folder) {
        ASSERT_TRUE(::CopyFileA(BuiltFile(kPlanted).c_str(), (folder + kPlanted).c_str(), FALSE));
    }

    testing_support::TempDir dir_;
    const std::string programFolder_ = dir_ / "program\\";
    const std::string currentFolder_ = dir_ / "current\\";
    const std::string probe_ = programFolder_ + "renovo_dll_probe.exe";
};

TEST_F(DllSearch, ADllBesideTheProgramIsNotFoundByNameAfterStartUp) {
    Plant(programFolder_);
    EXPECT_EQ(Probe(probe_, "none", kPlanted, currentFolder_), 0u) << "found without narrowing";
    EXPECT_EQ(Probe(probe_, "start-up", kPlanted, currentFolder_), 1u);
    // The system's own DLLs still load by name, from System32.
    EXPECT_EQ(Probe(probe_, "start-up", "version.dll", currentFolder_), 0u);
}

TEST_F(DllSearch, ADllInTheCurrentFolderIsNotFoundByNameAfterStartUp) {
    Plant(currentFolder_);
    EXPECT_EQ(Probe(probe_, "none", kPlanted, currentFolder_), 0u) << "found without narrowing";
    EXPECT_EQ(Probe(probe_, "start-up", kPlanted, currentFolder_), 1u);
}

// Without SetDefaultDllDirectories (XP, Vista, 7 without KB2533623) the program takes the older
// way, SetDllDirectoryA(""), and the system's DLLs still load. On Windows that drops the
// current folder from the search (the program's own folder stays in it there, whatever a
// program does); Wine takes an empty DLL folder for none and keeps searching the current
// folder, so what it drops is read from Microsoft's documentation, not seen here.
TEST_F(DllSearch, OnAnOlderWindowsTheOlderWayIsTaken) {
    EXPECT_EQ(Probe(probe_, "oldest", "version.dll", currentFolder_), 0u);
}

}  // namespace
