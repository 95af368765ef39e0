#include "app/command_run.h"

#include <optional>

#include "app/program_folder_setup.h"
#include "app/renovo_app.h"
#include "app/restore_command.h"
#include "app/texts.h"
#include "engine/install_log.h"
#include "engine/manifest.h"
#include "engine/message_seam.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "framework/desktop.h"
#include "framework/wide.h"
#include "text/format.h"
#include "wizard/answering_run.h"
#include "wizard/installed_folder.h"
#include "wizard/progress_window.h"
#include "wizard/texts.h"

namespace app {

namespace {

using engine::Quiet;

// The seam of the unattended run: nothing is asked, except that /SILENT still shows the
// questions, the disk prompt (someone has to swap the disk) and the files in use (someone may
// close the program); /VERYSILENT answers each with Cancel. The run logs every message with its
// answer.
class UnattendedSeam : public engine::MessageSeam {
public:
    explicit UnattendedSeam(Quiet quiet) : quiet_(quiet) {
        if (quiet_ == Quiet::kSilent) {
            progress_.Prepare();  // made while the manifest and the folder are read
        }
    }
    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override {
        if (buttons == engine::Buttons::kOk) {
            return engine::kAnswerOk;
        }
        if (quiet_ == Quiet::kVerySilent) {
            return engine::kAnswerCancel;
        }
        return ::MessageBoxW(progress_.MessageOwner(), framework::Wide(text).c_str(),
                             framework::Wide(caption).c_str(), static_cast<UINT>(buttons));
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    // /SILENT shows the progress window; /VERYSILENT shows nothing.
    void ShowEntry(int number, int count, int disk, const std::string& name) override {
        if (quiet_ == Quiet::kSilent) {
            progress_.ShowEntry(number, count, disk, name);
        }
    }
    void ShowFile(const std::string& name, uint64_t done, uint64_t total) override {
        if (quiet_ == Quiet::kSilent) {
            progress_.ShowFile(name, done, total);
        }
    }
    void ShowConversion(const std::string& file) override {
        if (quiet_ == Quiet::kSilent) {
            progress_.ShowConversion(file);
        }
    }
    void EndProgress() override { progress_.Close(); }

private:
    Quiet quiet_;
    wizard::CProgressWindow progress_;
};

const char* QuietName(Quiet quiet) {
    return quiet == Quiet::kVerySilent ? "very silent"
           : quiet == Quiet::kSilent   ? "silent"
                                       : "wizard";
}

// The run on a worker thread, as in the wizard; this thread owns the progress window.
int RunUnattended(const engine::CommandLine& cl) {
    UnattendedSeam seam(cl.quiet);
    engine::UpdateContext manifest;
    engine::ReadManifestLogged(manifest);
    const wizard::FolderLookup proposed =
        cl.hasDir ? wizard::FolderLookup{cl.dir, {}}
                  : wizard::ProposedFolder(manifest.uninstallKeys, manifest.destFolder);
    if (!proposed.folder) {
        const std::string text = text::Format(wizard::kUnusableInstalledFolder, proposed.unusable);
        engine::LogMessage(engine::kCaptionError, text, seam.ShowMessage(text, engine::kCaptionError,
                                                                         engine::Buttons::kOk));
        return engine::kExitRefused;
    }
    const std::string folder = *proposed.folder;
    wizard::CAnsweringRun answering;
    wizard::CWindowThreadSeam relayed(answering, seam);
    engine::RunOutcome outcome = engine::RunOutcome::kRefused;
    answering.Run([&] { outcome = engine::RunUpdateOutcome(manifest, folder, relayed); });
    return engine::ExitCodeOf(outcome);
}

int Refuse(const engine::CommandLine& cl, const std::string& text,
           int code = engine::kExitBadCommandLine) {
    if (cl.quiet == Quiet::kNone) {
        ::MessageBoxW(nullptr, framework::Wide(text).c_str(),
                      framework::Wide(engine::kCaptionError).c_str(), MB_OK);
    }
    return code;
}

int Dispatch(HINSTANCE instance, const engine::CommandLine& cl) {
    if (cl.restore) {
        return RunRestore(cl.hasDir ? cl.dir : std::string(), cl.quiet);
    }
    if (cl.quiet != Quiet::kNone) {
        return RunUnattended(cl);
    }
    CRenovoApp wizard(instance);
    return wizard.Run();
}

// Every file of the update disk is named from the program's folder, in cp932; nothing, with
// `refusal` naming it, when cp932 cannot carry it.
std::optional<std::string> ProgramFolderOfThisRun(std::string& refusal) {
    const std::wstring exe = ModuleFileName();
    if (const std::optional<std::string> path = framework::Narrow(exe)) {
        return ProgramFolderFromPath(*path);
    }
    refusal = text::Format(kUnusableProgramFolder,
                           ProgramFolderFromPath(framework::NarrowShown(exe)));
    return std::nullopt;
}

// Where no one can see the program's windows (a service, SYSTEM in session 0), a question would
// wait for ever: every mode then asks nothing, as /VERYSILENT. The mode asked for, when changed.
std::optional<Quiet> SilencedWithoutDesktop(engine::CommandLine& cl) {
    if (cl.quiet == Quiet::kVerySilent || framework::HasVisibleDesktop()) {
        return std::nullopt;
    }
    const Quiet asked = cl.quiet;
    cl.quiet = Quiet::kVerySilent;
    return asked;
}

}  // namespace

int RunCommandLine(HINSTANCE instance, std::string_view line) {
    engine::CommandLine cl = engine::ParseCommandLine(line);
    const std::optional<Quiet> asked = SilencedWithoutDesktop(cl);
    if (!cl.error.empty()) {
        return Refuse(cl, cl.error);
    }
    if (!cl.log.empty() && !engine::OpenInstallLog(cl.log)) {
        return Refuse(cl, engine::kCannotOpenLog + cl.log);
    }
    std::string refusal;
    const std::optional<std::string> folder = ProgramFolderOfThisRun(refusal);
    if (!folder) {
        engine::LogMessage(engine::kCaptionError, refusal, IDOK);
        engine::CloseInstallLog();
        return Refuse(cl, refusal, engine::kExitRefused);
    }
    engine::SetProgramFolder(*folder);  // for every mode
    engine::LogLine("start: program folder " + engine::ProgramFolder() + ", mode " +
                    QuietName(asked.value_or(cl.quiet)) + ", switches: " + std::string(line));
    if (asked) {
        engine::LogLine(std::string("no visible desktop: the ") + QuietName(*asked) +
                        " mode runs very silent, asking nothing");
    }
    const int code = Dispatch(instance, cl);
    engine::LogLine("exit code " + std::to_string(code));
    engine::CloseInstallLog();
    return code;
}

std::wstring_view ArgumentsOf(std::wstring_view whole) {
    size_t at = 0;
    bool quoted = false;
    for (; at < whole.size() && (whole[at] > L' ' || quoted); ++at) {
        quoted = whole[at] == L'"' ? !quoted : quoted;
    }
    while (at < whole.size() && whole[at] <= L' ') {
        ++at;
    }
    return whole.substr(at);
}

int RunProgramCommandLine(HINSTANCE instance, std::wstring_view whole) {
    const std::wstring_view arguments = ArgumentsOf(whole);
    if (const std::optional<std::string> line = framework::Narrow(arguments)) {
        return RunCommandLine(instance, *line);
    }
    // The switches themselves are ASCII: the mode still reads right, so that a silent run
    // shows nothing.
    const std::string shown = framework::NarrowShown(arguments);
    engine::CommandLine cl = engine::ParseCommandLine(shown);
    SilencedWithoutDesktop(cl);
    return Refuse(cl, text::Format(kUnusableCommandLine, shown));
}

}  // namespace app
