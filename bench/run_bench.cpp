// The whole automatic run of the test twin (`updater_twin.exe /au`, one supported drive in a
// drive file, the image files in its current directory), from process start to exit, beside an
// empty Win32 program of ours started the same way in the same series; and the twin's peak
// private memory beside the empty program's.
//
// Two more references in the same series locate the twin's figures: a program of ours with one
// hidden window (Wine's windowing start), and the twin ended at the first step of its start (the
// updater mutex held by this program); and the drive-file work of the twin's simulator for one
// update is timed here in this process.
//
// Memory under Wine 8, as this program finds it: GetProcessMemoryInfo of another process is
// answered while the process runs, from the Linux process's /proc/<pid>/status; it fills the
// basic record only, its PagefileUsage is the resident anonymous memory plus swap, and its
// PeakPagefileUsage is that same value, not a peak. Read after the exit, the call succeeds with
// every counter 0, and a job object's PeakProcessMemoryUsed stays 0. So the peak is taken here by
// sampling the counters every millisecond while the child runs, in runs of their own, apart from
// the timed runs that the sampling would slow down; what the handle and the job give after the
// exit is printed, so that a later Wine's change shows. Resident memory leaves out the pages of
// the transfer buffers that are never touched, which Windows counts as committed: one run of
// each program walks the committed private regions instead (VirtualQueryEx), as Windows counts
// private bytes.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "bench/bench_timing.h"
#include "framework/scoped_handle.h"
#include "sim/sim_drive.h"
#include "sim/sim_download.h"
#include "sim/sim_drive_file.h"
#include "sim/sim_journal.h"
#include "sim/sim_restart.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/child_process.h"
#include "tests/support/firmware_images.h"
#include "tests/support/test_folder.h"
#include "tests/support/updater_mutex_held.h"

namespace {

constexpr DWORD RUN_TIMEOUT_MS = 60000;
constexpr double RUN_MS_GOAL = 1000;
constexpr double MEMORY_MIB_GOAL = 8;
constexpr double MIB = 1024.0 * 1024.0;

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    if (GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr) == 0)
        throw std::runtime_error("no full path for " + path);
    return full;
}

std::string Twin() {
    return FullPath(ProgramFolder() + "..\\tests\\app\\updater_twin.exe");
}

std::string EmptyProgram() {
    return FullPath(ProgramFolder() + "bench_empty.exe");
}

std::string WindowProgram() {
    return FullPath(ProgramFolder() + "bench_window.exe");
}

// What one run of a program gave.
struct RunResult {
    double ms = 0;
    DWORD exitCode = 0;
    double peakPrivateMiB = 0; // the largest private usage sampled (see PrivateBytes)
    double peakWorkingMiB = 0; // the largest PeakWorkingSetSize sampled
    int samples = 0;           // counter readings that succeeded
    bool countersAfterExit = false;
    double privateAfterExitMiB = 0; // PeakPagefileUsage read after the exit, where it can be
    double jobPeakMiB = 0;          // the job's PeakProcessMemoryUsed after the exit
    double peakCommittedMiB = 0;    // the largest committed private memory walked
};

// How a sampled run reads the child's memory: the counters every millisecond, or its committed
// regions walked one walk after the other (slow: apart from the counters' runs).
enum class Sampling { Counters, Committed };

struct Started {
    ScopedHandle process;
    ScopedHandle thread;
};

Started Start(const std::string& program, const std::string& arguments,
              const std::string& directory, DWORD flags) {
    std::string commandLine = "\"" + program + "\"" + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr,
                        directory.c_str(), &startup, &info))
        throw std::runtime_error("cannot start " + program);
    Started started;
    started.process.Reset(info.hProcess);
    started.thread.Reset(info.hThread);
    return started;
}

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

bool ReadCounters(HANDLE process, PROCESS_MEMORY_COUNTERS_EX& counters) {
    counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters) != 0;
}

// The private bytes of a reading, as their peak where the counters hold one. Wine fills only the
// basic record (cb says so) and leaves PrivateUsage out; its PagefileUsage is the same figure,
// as on Windows, where both are the process's private commit.
double PrivateBytes(const PROCESS_MEMORY_COUNTERS_EX& counters) {
    const SIZE_T current =
        counters.cb >= sizeof counters ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(std::max(current, counters.PeakPagefileUsage));
}

// The committed private memory of another process, as Windows counts its private bytes: the sum
// of its committed private regions, walked with VirtualQueryEx (under Wine each query is a round
// trip into the child, some 0.4 ms). Nothing when the process has gone.
bool CommittedPrivate(HANDLE process, double& mib) {
    SIZE_T committed = 0;
    int regions = 0;
    const char* address = nullptr;
    MEMORY_BASIC_INFORMATION region;
    while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
        ++regions;
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    mib = committed / MIB;
    return regions > 0 && WaitForSingleObject(process, 0) != WAIT_OBJECT_0;
}

// A timed run: nothing but the start and the wait between the two readings of the clock.
RunResult TimedRun(const std::string& program, const std::string& arguments,
                   const std::string& directory) {
    RunResult result;
    const double start = NowMs();
    Started started = Start(program, arguments, directory, 0);
    if (WaitForSingleObject(started.process.Get(), RUN_TIMEOUT_MS) != WAIT_OBJECT_0) {
        TerminateProcess(started.process.Get(), 1);
        throw std::runtime_error(program + " did not end in time");
    }
    result.ms = NowMs() - start;
    result.exitCode = ExitCodeOf(started.process.Get());
    return result;
}

// A sampled run: the child in a job, started suspended so that no memory goes unseen, its
// counters read every millisecond until it ends.
RunResult SampledRun(const std::string& program, const std::string& arguments,
                     const std::string& directory, Sampling sampling) {
    RunResult result;
    ScopedHandle job(CreateJobObjectA(nullptr, nullptr));
    Started started = Start(program, arguments, directory, CREATE_SUSPENDED);
    if (job.IsValid())
        AssignProcessToJobObject(job.Get(), started.process.Get());
    ResumeThread(started.thread.Get());
    const double start = NowMs();
    PROCESS_MEMORY_COUNTERS_EX counters;
    for (;;) {
        double committed = 0;
        if (sampling == Sampling::Committed) {
            if (CommittedPrivate(started.process.Get(), committed)) {
                ++result.samples;
                result.peakCommittedMiB = std::max(result.peakCommittedMiB, committed);
            }
        } else if (ReadCounters(started.process.Get(), counters)) {
            ++result.samples;
            result.peakPrivateMiB = std::max(result.peakPrivateMiB, PrivateBytes(counters) / MIB);
            result.peakWorkingMiB =
                std::max(result.peakWorkingMiB, counters.PeakWorkingSetSize / MIB);
        }
        if (WaitForSingleObject(started.process.Get(), 1) == WAIT_OBJECT_0)
            break;
        if (NowMs() - start > RUN_TIMEOUT_MS) {
            TerminateProcess(started.process.Get(), 1);
            throw std::runtime_error(program + " did not end in time");
        }
    }
    result.exitCode = ExitCodeOf(started.process.Get());
    result.countersAfterExit = ReadCounters(started.process.Get(), counters);
    if (result.countersAfterExit)
        result.privateAfterExitMiB = PrivateBytes(counters) / MIB;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    if (job.IsValid() && QueryInformationJobObject(job.Get(), JobObjectExtendedLimitInformation,
                                                   &limits, sizeof limits, nullptr))
        result.jobPeakMiB = limits.PeakProcessMemoryUsed / MIB;
    return result;
}

// The images in a folder that is the programs' current directory, a fresh drive file for every
// run of the twin (an updated drive would not be updated again), and the restart log.
class Scene {
public:
    Scene() {
        m_images.WriteMainImage(MakeMainImage());
        m_images.WriteSubImage(MakeSubImage());
        // The children inherit both: the empty program is started with the same environment.
        SetEnvironmentVariableA(sim::RESTART_LOG_ENVIRONMENT_VARIABLE,
                                m_drives.File("restart.log").c_str());
    }

    const std::string& Directory() const { return m_images.Path(); }

    // A new drive file with the supported drive at its old firmware, published to the children.
    void FreshDrive() {
        m_drivePath = m_drives.File("e" + std::to_string(++m_serial) + ".drive");
        sim::CreateDriveFile(m_drivePath, sim::SimDrive::Kestran());
        SetEnvironmentVariableA(sim::DRIVES_ENVIRONMENT_VARIABLE, ("E=" + m_drivePath).c_str());
    }

    // The bytes of request data in the journal of the last drive: the twin's simulator holds them
    // in its memory as well, in the drive's journal.
    double JournalDataMiB() const {
        size_t bytes = 0;
        for (const sim::JournalEntry& entry : sim::ReadJournalFile(m_drivePath + ".journal"))
            bytes += entry.command.dataOut.size();
        return bytes / MIB;
    }

    void CheckUpdated(const RunResult& run) const {
        if (run.exitCode != 0)
            throw std::runtime_error("the twin ended with " + std::to_string(run.exitCode));
        if (sim::OpenDriveFile(m_drivePath).identity.revision != "1.52")
            throw std::runtime_error("the twin's drive did not take the image");
    }

private:
    FirmwareFolder m_images{"bench_images"};
    TestFolder m_drives{"bench_drives"};
    std::string m_drivePath;
    int m_serial = 0;
};

enum class Measure { Time, Counters, Committed };

RunResult RunOnce(const std::string& program, const std::string& arguments, const Scene& scene,
                  Measure measure) {
    if (measure == Measure::Time)
        return TimedRun(program, arguments, scene.Directory());
    return SampledRun(program, arguments, scene.Directory(),
                      measure == Measure::Counters ? Sampling::Counters : Sampling::Committed);
}

RunResult TwinRun(Scene& scene, Measure measure) {
    scene.FreshDrive();
    const RunResult run = RunOnce(Twin(), " /au", scene, measure);
    scene.CheckUpdated(run);
    return run;
}

// The twin that ends at the first step of its start, the updater mutex, which this process holds
// as another updater would: its program start, the application object, the hidden window of the
// automatic mode and the exit, without a drive command.
RunResult TwinAtFirstStep(Scene& scene, Measure measure) {
    scene.FreshDrive();
    const UpdaterMutexHeld otherUpdater;
    const RunResult run = RunOnce(Twin(), " /au", scene, measure);
    if (run.exitCode != 1)
        throw std::runtime_error("the twin did not end at its mutex step");
    return run;
}

RunResult EmptyRun(const Scene& scene, Measure measure) {
    return RunOnce(EmptyProgram(), "", scene, measure);
}

RunResult WindowRun(const Scene& scene, Measure measure) {
    const RunResult run = RunOnce(WindowProgram(), "", scene, measure);
    if (run.exitCode != 0)
        throw std::runtime_error("the window program made no window");
    return run;
}

// What the drive file costs the twin's simulator in one update, here in this process: for each of
// the update's 65 requests (61 of them with a 32 KiB chunk, 3 with the unlock list) the state
// read before the command, written after it, and the journal line appended with its data in hex.
double DriveFileWorkOfOneUpdate(const TestFolder& folder) {
    const std::string path = folder.File("work.drive");
    sim::CreateDriveFile(path, sim::SimDrive::Kestran());
    sim::SimDrive drive = sim::OpenDriveFile(path);
    sim::JournalEntry entry;
    entry.command.cdb[0] = sim::OP_WRITE_BUFFER;
    entry.command.cdbLength = 10;
    entry.command.direction = sim::SimDirection::Out;
    const double start = NowMs();
    for (int request = 0; request < 65; ++request) {
        entry.command.dataOut.assign(request < 61 ? sim::IMAGE_CHUNK_SIZE : 0, 0x5A);
        sim::LoadDriveState(path, drive);
        sim::SaveDriveState(path, drive);
        sim::AppendJournalFile(path + ".journal", entry);
    }
    return NowMs() - start;
}

void RunWholeRunBench(Scene& scene, int runs) {
    // First runs of each, untimed: Wine maps the exe and its libraries into its caches.
    EmptyRun(scene, Measure::Time);
    TwinRun(scene, Measure::Time);
    Series empty;
    Series twin;
    Series window;
    Series firstStep;
    Series driveFile;
    const TestFolder work("bench_drive_file");
    WindowRun(scene, Measure::Time);
    for (int i = 0; i < runs; ++i) {
        empty.Add(EmptyRun(scene, Measure::Time).ms);
        window.Add(WindowRun(scene, Measure::Time).ms);
        twin.Add(TwinRun(scene, Measure::Time).ms);
        firstStep.Add(TwinAtFirstStep(scene, Measure::Time).ms);
        driveFile.Add(DriveFileWorkOfOneUpdate(work));
    }
    PrintSeries("whole run: empty program", empty, "ms");
    PrintSeries("whole run: one-window program", window, "ms");
    PrintSeries("whole run: twin /au", twin, "ms");
    PrintSeries("twin ended at its mutex step", firstStep, "ms");
    PrintSeries("drive-file work of one update", driveFile, "ms");
    const double beyond = twin.Median() - empty.Median();
    std::printf("  twin beyond the empty program: min %.1f ms, median %.1f ms; of the median, "
                "%.1f ms up to the mutex step and back out, %.1f ms from there on\n",
                twin.Min() - empty.Min(), beyond, firstStep.Median() - empty.Median(),
                twin.Median() - firstStep.Median());
    PrintFigure("auto_run_ms", beyond, "ms", twin.Median() / empty.Median(), "<=1000",
                beyond <= RUN_MS_GOAL);
}

void PrintMemoryRun(const char* what, const RunResult& run) {
    std::printf("    %-30s %6.2f MiB private, %6.2f MiB peak working set (%d samples)\n", what,
                run.peakPrivateMiB, run.peakWorkingMiB, run.samples);
}

void RunMemoryBench(Scene& scene, int runs) {
    Series empty;
    Series twin;
    Series window;
    Series firstStep;
    RunResult last;
    for (int i = 0; i < runs; ++i) {
        std::printf("  memory run %d\n", i + 1);
        const RunResult emptyRun = EmptyRun(scene, Measure::Counters);
        const RunResult windowRun = WindowRun(scene, Measure::Counters);
        last = TwinRun(scene, Measure::Counters);
        const double journal = scene.JournalDataMiB();
        const RunResult firstStepRun = TwinAtFirstStep(scene, Measure::Counters);
        PrintMemoryRun("empty program", emptyRun);
        PrintMemoryRun("one-window program", windowRun);
        PrintMemoryRun("twin /au", last);
        PrintMemoryRun("twin ended at its mutex step", firstStepRun);
        empty.Add(emptyRun.peakPrivateMiB);
        window.Add(windowRun.peakPrivateMiB);
        twin.Add(last.peakPrivateMiB);
        firstStep.Add(firstStepRun.peakPrivateMiB);
        if (i + 1 == runs)
            std::printf("  the twin's simulator holds %.2f MiB of request data in its journal\n",
                        journal);
    }
    std::printf("  after the exit: the process handle's counters %s (private %.2f MiB); the "
                "job's peak %.2f MiB\n",
                last.countersAfterExit ? "read" : "not read", last.privateAfterExitMiB,
                last.jobPeakMiB);
    // Committed private memory, as Windows counts private bytes; one run each, the walks are slow.
    const RunResult emptyCommitted = EmptyRun(scene, Measure::Committed);
    const RunResult twinCommitted = TwinRun(scene, Measure::Committed);
    std::printf("  committed private memory walked: empty program %.2f MiB (%d walks), twin "
                "%.2f MiB (%d walks), beyond %.2f MiB\n",
                emptyCommitted.peakCommittedMiB, emptyCommitted.samples,
                twinCommitted.peakCommittedMiB, twinCommitted.samples,
                twinCommitted.peakCommittedMiB - emptyCommitted.peakCommittedMiB);
    PrintSeries("peak private: empty program", empty, "MiB");
    PrintSeries("peak private: one-window program", window, "MiB");
    PrintSeries("peak private: twin /au", twin, "MiB");
    PrintSeries("peak private: twin at mutex step", firstStep, "MiB");
    const double beyond = twin.Median() - empty.Median();
    std::printf("  twin beyond the empty program %.2f MiB: %.2f MiB up to the mutex step, %.2f "
                "MiB from there on\n",
                beyond, firstStep.Median() - empty.Median(), twin.Median() - firstStep.Median());
    PrintFigure("peak_private_mib", beyond, "MiB", twin.Median() / empty.Median(), "<=8",
                beyond <= MEMORY_MIB_GOAL);
}

} // namespace

int main() {
    try {
        Scene scene;
        RunWholeRunBench(scene, RunCount("KESTRAN_BENCH_PROCESS_RUNS", 7));
        RunMemoryBench(scene, RunCount("KESTRAN_BENCH_MEMORY_RUNS", 3));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "run_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
