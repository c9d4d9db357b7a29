// The engine in this process, on the simulated storage stack (pass-through, the NT family), with
// the simulated drive answering at once:
//
// - update: OP_UPDATE from the requester's start to the dialog's NOTIFY_UPDATE_OK, beside a bare
//   loop that reads both image files and hands the very request blocks the engine sent, in the
//   same order, straight to the simulated stack;
// - discovery: the dialog's scan of the letters C..Z with one supported drive, beside a bare loop
//   that opens each letter, replays the scan's requests for it and closes it; and how the scan
//   grows with the count of letters that have a device (0, 1, 8, 24).
//
// Runs alternate between the engine and its bare reference, so that a change of the machine's
// load during the series falls on both alike.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/timed_seam.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "seam/system_seam.h"
#include "sim/sim_drive.h"
#include "sim/sim_storage_stack.h"
#include "tests/engine/engine_test_support.h"
#include "ui/res/resource.h"
#include "update/notify.h"
#include "update/worker_launch.h"

namespace {

constexpr char DRIVE_LETTER = 'E';
constexpr char FIRST_LETTER = 'C';
constexpr char LAST_LETTER = 'Z';
constexpr uint8_t OP_WRITE_BUFFER = 0x3B;
constexpr uint8_t BUFFER_ID_SUB_IMAGE = 0xFE;
constexpr uint8_t BUFFER_ID_MAIN_IMAGE = 0xF0;
constexpr DWORD CHUNK_SIZE = 0x8000;
constexpr DWORD UPDATE_TIMEOUT_MS = 60000;

constexpr double UPDATE_RATIO_GOAL = 1.5;
constexpr double UPDATE_MS_GOAL = 250;
constexpr double DISCOVERY_MS_GOAL = 50;

sim::SimStorageStack& Stack() {
    return sim::SimStorageStack::Instance();
}

std::string DevicePath(char letter) {
    return std::string("\\\\.\\") + letter + ":";
}

// What the bare loops send: the request blocks as the stack received them, and for data-out
// commands the bytes that went with them (the drive's journal), in the order they came.
struct Recorded {
    std::vector<sim::PassThroughCall> calls;
    sim::Journal journal;
};

Recorded RecordedSince(char letter) {
    Recorded recorded{Stack().PassThroughCalls(), Stack().Drive(letter).journal};
    if (recorded.calls.size() != recorded.journal.size())
        throw std::runtime_error("a request did not reach the drive");
    return recorded;
}

bool Failed(const PassThroughRequest& block) {
    return block.Sptd.ScsiStatus != sim::SCSI_STATUS_GOOD;
}

// Hands one recorded request to the seam through the transport's own request block, as the
// transport does: the block cleared and filled, the data buffer the transport would use.
bool Replay(HANDLE device, const sim::PassThroughCall& call) {
    std::memset(&g_Sptd, 0, sizeof g_Sptd);
    g_Sptd.Sptd = call.request;
    g_Sptd.Sptd.DataBuffer =
        call.request.DataIn == SCSI_IOCTL_DATA_IN ? g_pReadBuffer : g_pWriteBuffer;
    DWORD returned = 0;
    const BOOL delivered =
        SysDeviceIoControl(device, IOCTL_SCSI_PASS_THROUGH_DIRECT, &g_Sptd, sizeof g_Sptd, &g_Sptd,
                           sizeof g_Sptd, &returned, nullptr);
    return delivered && !Failed(g_Sptd);
}

HANDLE OpenDevice(char letter) {
    const std::string path = DevicePath(letter);
    return SysOpenDevice(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Where the time of one run went, from the clock readings of the timed seam: before the first
// request, inside the simulated stack, between two requests, after the last one.
struct Split {
    double total = 0;
    double beforeFirst = 0;
    double inStack = 0;
    double between = 0;
    double afterLast = 0;
    std::vector<double> gaps; // gaps[i]: from the answer of request i to the sending of i + 1
};

Split SplitOf(double start, double end) {
    Split split;
    split.total = end - start;
    const size_t count = TimedRequestCount();
    if (count == 0) {
        split.beforeFirst = split.total;
        return split;
    }
    split.beforeFirst = TimedRequestAt(0).sentMs - start;
    split.afterLast = end - TimedRequestAt(count - 1).answeredMs;
    for (size_t i = 0; i < count; ++i) {
        split.inStack += TimedRequestAt(i).answeredMs - TimedRequestAt(i).sentMs;
        if (i == 0)
            continue;
        split.gaps.push_back(TimedRequestAt(i).sentMs - TimedRequestAt(i - 1).answeredMs);
        split.between += split.gaps.back();
    }
    return split;
}

struct SplitSeries {
    Series total;
    Series beforeFirst;
    Series inStack;
    Series between;
    Series afterLast;
    std::vector<Series> gaps;

    void Add(const Split& split) {
        gaps.resize(split.gaps.size());
        for (size_t i = 0; i < split.gaps.size(); ++i)
            gaps[i].Add(split.gaps[i]);
        total.Add(split.total);
        beforeFirst.Add(split.beforeFirst);
        inStack.Add(split.inStack);
        between.Add(split.between);
        afterLast.Add(split.afterLast);
    }
    void Print(const std::string& what) const {
        PrintSeries(what, total, "ms");
        std::printf("    medians: before the first request %.2f, in the simulated stack %.2f, "
                    "between requests %.2f, after the last %.2f ms\n",
                    beforeFirst.Median(), inStack.Median(), between.Median(), afterLast.Median());
    }
};

class ImageReader {
public:
    explicit ImageReader(const std::string& path)
        : m_file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (m_file == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot open " + path);
    }
    ~ImageReader() { CloseHandle(m_file); }
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    void ReadChunk(uint8_t* into) {
        DWORD read = 0;
        if (!ReadFile(m_file, into, CHUNK_SIZE, &read, nullptr) || read != CHUNK_SIZE)
            throw std::runtime_error("short image file");
    }

private:
    HANDLE m_file;
};

// ---- update ----

// An operation code that no worker knows: the worker sends nothing and posts NOTIFY_NONE, so a
// run of it is the engine's fixed cost (device open, worker thread, final message).
constexpr int OP_SENDS_NOTHING = -1;

DWORD WINAPI DoNothing(LPVOID) {
    return 0;
}

class UpdateBench {
public:
    explicit UpdateBench(IdleUpdaterDlg& dialog) : m_dialog(dialog) {
        std::strcpy(g_szMainImagePath, m_images.MainPath().c_str());
        std::strcpy(g_szSubImagePath, m_images.SubPath().c_str());
    }

    // One operation through the engine, from its start to the dialog's handling of `until`.
    Split Engine(int operation, WPARAM until) {
        m_transport->Install(sim::SimDrive::Kestran());
        NotifyRecorder recorder;
        ResetTimedRequests();
        const double start = NowMs();
        g_nOperation = operation;
        if (StartOnSelectedDrive(m_dialog, 0) != 1)
            throw std::runtime_error("the worker did not start");
        if (!recorder.PumpUntil(until, UPDATE_TIMEOUT_MS))
            throw std::runtime_error("the worker's message did not come");
        const Split split = SplitOf(start, NowMs());
        WaitForLastWorker();
        return split;
    }

    Split Update() {
        const Split split = Engine(OP_UPDATE, NOTIFY_UPDATE_OK);
        CheckUpdated();
        return split;
    }

    // The same requests in a plain loop on this thread.
    Split Bare(const Recorded& recorded) {
        m_transport->Install(sim::SimDrive::Kestran());
        ResetTimedRequests();
        const double start = NowMs();
        ImageReader sub(m_images.SubPath());
        ImageReader main(m_images.MainPath());
        HANDLE device = OpenDevice(DRIVE_LETTER);
        for (size_t i = 0; i < recorded.calls.size(); ++i) {
            const sim::PassThroughCall& call = recorded.calls[i];
            const sim::SimCommand& sent = recorded.journal[i].command;
            if (call.request.DataIn == SCSI_IOCTL_DATA_OUT) {
                const bool writeBuffer = call.request.Cdb[0] == OP_WRITE_BUFFER;
                if (writeBuffer && call.request.Cdb[2] == BUFFER_ID_SUB_IMAGE)
                    sub.ReadChunk(g_pWriteBuffer);
                else if (writeBuffer && call.request.Cdb[2] == BUFFER_ID_MAIN_IMAGE)
                    main.ReadChunk(g_pWriteBuffer);
                else
                    std::memcpy(g_pWriteBuffer, sent.dataOut.data(), sent.dataOut.size());
            }
            const bool good = Replay(device, call);
            if (good != (recorded.journal[i].reply.status == sim::SCSI_STATUS_GOOD))
                throw std::runtime_error("the bare loop got another answer than the engine");
        }
        SysCloseDevice(device);
        const Split split = SplitOf(start, NowMs());
        CheckUpdated();
        return split;
    }

    Recorded Record() {
        Update();
        return RecordedSince(DRIVE_LETTER);
    }

private:
    void CheckUpdated() const {
        if (m_transport->Drive().identity.revision != "1.52")
            throw std::runtime_error("the drive did not take the image");
    }

    ImageFolder m_images;
    std::unique_ptr<TestTransport> m_transport = MakePassThrough();
    IdleUpdaterDlg& m_dialog;
};

// A thread of an empty procedure, created and waited for: what Wine costs every worker.
double ThreadStartAndEnd() {
    const double start = NowMs();
    HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
    if (thread == nullptr)
        throw std::runtime_error("no thread");
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return NowMs() - start;
}

// The gaps between two requests where the engine spends the most beyond the bare loop, by the
// opcode and buffer of the request after the gap.
void PrintLargestGaps(const SplitSeries& engine, const SplitSeries& bare, const Recorded& recorded,
                      size_t shown) {
    std::vector<std::pair<double, size_t>> beyond;
    for (size_t i = 0; i < engine.gaps.size() && i < bare.gaps.size(); ++i)
        beyond.push_back({engine.gaps[i].Median() - bare.gaps[i].Median(), i});
    std::sort(beyond.rbegin(), beyond.rend());
    std::printf("    largest gaps beyond the bare loop's (median):");
    for (size_t k = 0; k < shown && k < beyond.size(); ++k) {
        const SCSI_PASS_THROUGH_DIRECT& next = recorded.calls[beyond[k].second + 1].request;
        std::printf(" %.2f ms before #%u (%02X %02X)", beyond[k].first,
                    static_cast<unsigned>(beyond[k].second + 1), next.Cdb[0], next.Cdb[2]);
    }
    double total = 0;
    for (const auto& gap : beyond)
        total += gap.first;
    std::printf("; all gaps %.2f ms\n", total);
}

void RunUpdateBench(IdleUpdaterDlg& dialog, int runs) {
    UpdateBench bench(dialog);
    const Recorded recorded = bench.Record();
    double dataOut = 0;
    for (const sim::JournalEntry& entry : recorded.journal)
        dataOut += entry.command.dataOut.size();
    std::printf("update: %u requests, %.2f MiB of data out\n",
                static_cast<unsigned>(recorded.calls.size()), dataOut / (1024.0 * 1024.0));
    // The first runs of each, untimed, so that the files and the code are warm.
    bench.Bare(recorded);
    bench.Engine(OP_SENDS_NOTHING, NOTIFY_NONE);
    SplitSeries engine;
    SplitSeries bare;
    Series fixed;
    Series thread;
    for (int i = 0; i < runs; ++i) {
        engine.Add(bench.Update());
        bare.Add(bench.Bare(recorded));
        fixed.Add(bench.Engine(OP_SENDS_NOTHING, NOTIFY_NONE).total);
        thread.Add(ThreadStartAndEnd());
    }
    engine.Print("update engine (OP_UPDATE)");
    bare.Print("update bare loop");
    PrintLargestGaps(engine, bare, recorded, 4);
    PrintSeries("worker that sends nothing", fixed, "ms");
    PrintSeries("empty thread, start and end", thread, "ms");
    const double medianEngine = engine.total.Median();
    const double medianBare = bare.total.Median();
    // The requests and the work between them, without the worker's start and end.
    const double engineSequence = engine.inStack.Median() + engine.between.Median();
    const double bareSequence = bare.inStack.Median() + bare.between.Median();
    std::printf("  ratio of the minimums %.2f, of the medians %.2f; from the first request to the "
                "last, engine %.2f ms against bare %.2f ms: %.2f\n",
                engine.total.Min() / bare.total.Min(), medianEngine / medianBare, engineSequence,
                bareSequence, engineSequence / bareSequence);
    const double ratio = medianEngine / medianBare;
    PrintFigure("update_ms", medianEngine, "ms", ratio, "<=1.5&<=250",
                ratio <= UPDATE_RATIO_GOAL && medianEngine <= UPDATE_MS_GOAL);
}

// ---- discovery ----

// The letters that get a device: the supported drive on E, the other letters from C on with
// another maker's drive.
void AttachDevices(int devices) {
    Stack().Reset();
    int attached = 0;
    if (devices > 0) {
        Stack().Attach(DRIVE_LETTER, sim::SimDrive::Kestran());
        ++attached;
    }
    for (char letter = FIRST_LETTER; letter <= LAST_LETTER && attached < devices; ++letter) {
        if (letter == DRIVE_LETTER)
            continue;
        Stack().Attach(letter, sim::SimDrive::OtherModel());
        ++attached;
    }
    g_nTransport = TRANSPORT_PASS_THROUGH;
}

class DiscoveryBench {
public:
    explicit DiscoveryBench(IdleUpdaterDlg& dialog) : m_dialog(dialog) {}

    Split Engine(int devices) {
        AttachDevices(devices);
        ResetTimedRequests();
        const double start = NowMs();
        const int found = m_dialog.ScanLetterDrives();
        const Split split = SplitOf(start, NowMs());
        if (found != (devices > 0 ? 1 : 0))
            throw std::runtime_error("the scan found " + std::to_string(found) + " drives");
        return split;
    }

    // Every letter opened as the scan opens it; the recorded requests of each letter that has a
    // device; each device closed again.
    Split Bare(int devices, const std::vector<sim::PassThroughCall>& calls) {
        AttachDevices(devices);
        ResetTimedRequests();
        const double start = NowMs();
        for (char letter = FIRST_LETTER; letter <= LAST_LETTER; ++letter) {
            HANDLE device = OpenDevice(letter);
            if (device == INVALID_HANDLE_VALUE)
                continue;
            for (const sim::PassThroughCall& call : calls)
                if (call.letter == letter)
                    Replay(device, call);
            SysCloseDevice(device);
        }
        return SplitOf(start, NowMs());
    }

    std::vector<sim::PassThroughCall> Record(int devices) {
        Engine(devices);
        return Stack().PassThroughCalls();
    }

private:
    IdleUpdaterDlg& m_dialog;
};

void RunDiscoveryBench(IdleUpdaterDlg& dialog, int runs) {
    DiscoveryBench bench(dialog);
    const int counts[] = {0, 1, 8, 24};
    double oneDevice = 0;
    double oneDeviceBare = 0;
    for (int devices : counts) {
        const std::vector<sim::PassThroughCall> calls = bench.Record(devices);
        bench.Bare(devices, calls);
        SplitSeries engine;
        SplitSeries bare;
        for (int i = 0; i < runs; ++i) {
            engine.Add(bench.Engine(devices));
            bare.Add(bench.Bare(devices, calls));
        }
        std::printf("discovery, %d letter(s) with a device: %u requests\n", devices,
                    static_cast<unsigned>(calls.size()));
        engine.Print("discovery scan C..Z");
        bare.Print("discovery bare loop");
        if (devices == 1) {
            oneDevice = engine.total.Median();
            oneDeviceBare = bare.total.Median();
        }
    }
    PrintFigure("discovery_ms", oneDevice, "ms", oneDevice / oneDeviceBare, "<=50",
                oneDevice <= DISCOVERY_MS_GOAL);
}

} // namespace

int main() {
    try {
        EngineState state;
        // One dialog for both: a dialog's end frees the transfer buffers.
        IdleUpdaterDlg dialog;
        if (!dialog.Create(IDD_UPDATER))
            throw std::runtime_error("the updater dialog did not open");
        RunUpdateBench(dialog, RunCount("KESTRAN_BENCH_UPDATE_RUNS", 9));
        RunDiscoveryBench(dialog, RunCount("KESTRAN_BENCH_DISCOVERY_RUNS", 21));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "engine_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
