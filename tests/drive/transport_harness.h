#pragma once
// The transports as test parameters: each harness selects one transport in the shared state, puts
// the supported drive behind it and reports what reached the drive, so that one parameterized
// suite checks every transport. Adding a transport is one harness and one entry in
// AllTransports().
//
// This harness is for the command layer: it sees each request block as the transport filled it
// (buffer, address, data phase) and includes an in-process ASPI recorder that no real drive could
// replace. For whole operations on the supported drive (discovery, workers, the update) the tests
// use tests/support/test_transport.h instead, which puts a drive behind a transport and reads its
// journal.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "drive/command_dispatch.h"
#include "sim/sim_scsi.h"
#include "tests/support/shared_state_scope.h"

// One command as the drive side received it.
struct ReceivedCommand {
    std::vector<uint8_t> cdb; // the 12 bytes the builders fill
    int cdbLength;
    int direction; // DIR_IN, DIR_OUT or DIR_NONE: the data phase the request carried
    uint32_t transferLength;
    const void* buffer;    // the data buffer the request named
    Addressing addressing; // the address the transport entry used
};

class TransportHarness {
public:
    virtual ~TransportHarness() = default;
    // Selects the transport with the supported drive ready to answer; the transfer buffers exist.
    virtual void SetUp() = 0;
    virtual void TearDown() = 0;
    virtual std::vector<ReceivedCommand> Received() const = 0;
    // The next command with this opcode ends with CHECK CONDITION and this sense.
    virtual void FailNextCommand(uint8_t opcode, sim::SenseCode sense) = 0;
    // What g_nCmdStatus holds after such a failure.
    virtual int FailureStatus() const = 0;
    // True when no drive model stands behind the transport and every command not made to fail
    // ends GOOD, whatever the drive would have answered.
    virtual bool AnswersEveryCommandGood() const { return false; }
    // The address a builder of this addressing reaches on this transport.
    virtual Addressing AddressingOf(Addressing builderAddressing) const = 0;
};

struct TransportParam {
    std::string name;
    std::shared_ptr<TransportHarness> (*make)();
};

std::vector<TransportParam> AllTransports();

// Lets a failing test name its transport instead of dumping the parameter's bytes.
void PrintTo(const TransportParam& param, std::ostream* out);

// A clean shared state with transfer buffers, and the transport of the parameter.
class TransportTest : public ::testing::TestWithParam<TransportParam> {
protected:
    void SetUp() override;
    void TearDown() override;

    TransportHarness& Transport() { return *harness_; }
    ReceivedCommand LastReceived() const;

private:
    SharedStateScope state_;
    std::shared_ptr<TransportHarness> harness_;
};

std::string TransportName(const ::testing::TestParamInfo<TransportParam>& info);
